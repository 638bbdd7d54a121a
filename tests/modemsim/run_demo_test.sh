#!/usr/bin/env bash
# run.sh --demo --no-gui: the demo's own program folder under $XDG_DATA_HOME
# (never the user's real one), PX.INI on the simulator's pty, the modem
# answering, the line stopped afterwards, and settings kept across runs.
# Usage: run_demo_test.sh SOURCE_DIR BIN_DIR
set -euo pipefail
source_dir=$1
export PARVEX_BIN_DIR=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export HOME=$scratch/home XDG_DATA_HOME=$scratch/data
unset PARVEX_DEMO_HOME PARVEX_HOME
mkdir -p "$HOME"

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

out=$("$source_dir/scripts/run.sh" --demo --no-gui) || fail "first run: $out"
home=$XDG_DATA_HOME/parvex-demo
ini=$home/PX.INI
[ -f "$ini" ] || fail "no PX.INI in $home"
[ ! -e "$HOME/.local/share/parvex" ] || fail "the user's own program folder was touched"
grep -qx "COM1=$home/ttyDEMO" "$ini" || fail "[Ports] COM1 is not the demo line: $(cat "$ini")"
grep -qx "ComPort=0" "$ini" || fail "the modem port is not COM1"
[ -d "$home/remote-inbox" ] || fail "no inbox folder"
case $out in *"modem on COM1 answers"*) ;; *) fail "no modem check: $out" ;; esac
case $out in *"$home/remote-inbox"*) ;; *) fail "the inbox is not named: $out" ;; esac
# The line ends with the script: its link and its pid file are gone.
[ ! -e "$home/ttyDEMO" ] || fail "the simulator still runs"
[ ! -e "$home/modemsim.pid" ] || fail "a stale pid file"

# A second run keeps what the user changed but puts COM1 back on the line.
sed -i 's/^Name=.*/Name=Ada Lovelace/; s/^ComPort=0/ComPort=3/' "$ini"
sed -i '/^COM1=/d' "$ini"
"$source_dir/scripts/run.sh" --demo --no-gui >/dev/null || fail "second run"
grep -qx "Name=Ada Lovelace" "$ini" || fail "the user's name was lost"
grep -qx "ComPort=0" "$ini" || fail "ComPort not set back"
[ "$(grep -c '^COM1=' "$ini")" = 1 ] || fail "COM1 missing or doubled: $(cat "$ini")"
[ "$(grep -c '^\[Ports\]' "$ini")" = 1 ] || fail "[Ports] doubled"

# PARVEX_DEMO_HOME picks another folder.
PARVEX_DEMO_HOME=$scratch/elsewhere "$source_dir/scripts/run.sh" --demo --no-gui >/dev/null ||
    fail "run with PARVEX_DEMO_HOME"
[ -f "$scratch/elsewhere/PX.INI" ] || fail "PARVEX_DEMO_HOME not used"
echo "run.sh --demo set-up: OK"
