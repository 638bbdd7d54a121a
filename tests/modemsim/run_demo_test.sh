#!/usr/bin/env bash
# run.sh --demo (--no-gui, then with the window): the demo's own program folder under $XDG_DATA_HOME
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

# With the window (where this build has the program): Parvex runs on the demo
# folder, and a signal to the script ends both the program and the line.
if [ -x "$PARVEX_BIN_DIR/parvex" ]; then
    QT_QPA_PLATFORM=offscreen "$source_dir/scripts/run.sh" --demo >"$scratch/gui.log" 2>&1 &
    script=$!
    for _ in $(seq 100); do
        [ -f "$home/PXOUT.DBF" ] && break
        sleep 0.2
    done
    [ -f "$home/PXOUT.DBF" ] || fail "Parvex did not open its logs in the demo folder: $(cat "$scratch/gui.log")"
    [ -e "$home/ttyDEMO" ] || fail "no line while Parvex runs"
    kill -TERM "$script"
    wait "$script" || true
    [ ! -e "$home/ttyDEMO" ] || fail "the line outlived the script"
    [ ! -e "$home/modemsim.pid" ] || fail "a stale pid file after the window"
    for env in /proc/[0-9]*/environ; do
        if { tr '\0' '\n' <"$env"; } 2>/dev/null | grep -qx "PARVEX_HOME=$home"; then
            fail "Parvex outlived the script (${env%/environ})"
        fi
    done
    [ ! -e "$HOME/.local/share/parvex" ] || fail "the user's own program folder was touched"
else
    echo "(no parvex in this build: the window part is left out)"
fi
echo "run.sh --demo set-up: OK"
