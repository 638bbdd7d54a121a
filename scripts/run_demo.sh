#!/usr/bin/env bash
# Parvex on a demo line: its own program folder, COM1 bound to the line
# simulator's modem, and a remote fax machine that answers any number and
# calls once receive mode is on. Started by `scripts/run.sh --demo`.
#
#   --no-gui   set up the folder and the line, check that the modem answers,
#              and stop without opening the window
# Environment: PARVEX_DEMO_HOME (the program folder; default
# $XDG_DATA_HOME/parvex-demo or ~/.local/share/parvex-demo), PARVEX_BIN_DIR
# (use the programs there and skip the build).
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

gui=1
args=()
for a in "$@"; do
    case $a in
        --demo) ;;
        --no-gui) gui=0 ;;
        *) args+=("$a") ;;
    esac
done

if [ -n "${PARVEX_BIN_DIR:-}" ]; then
    bin=$PARVEX_BIN_DIR
else
    "$top/scripts/deps.sh"
    "$top/scripts/build.sh" build -DCMAKE_BUILD_TYPE=RelWithDebInfo >&2
    bin=$top/build/bin
fi

home=${PARVEX_DEMO_HOME:-${XDG_DATA_HOME:-$HOME/.local/share}/parvex-demo}
inbox=$home/remote-inbox
link=$home/ttyDEMO
pidfile=$home/modemsim.pid
log=$home/modemsim.log
mkdir -p "$home" "$inbox"

# Sets KEY=VALUE in [SECTION] of an INI file, adding the section or key when
# missing and keeping everything else as it stands.
ini_set() {
    local file=$1 section=$2 key=$3 value=$4 tmp
    tmp=$(mktemp "$file.XXXXXX")
    awk -v section="$section" -v key="$key" -v value="$value" '
        function flush() { if (insection && !done) { print key "=" value; done = 1 } }
        /^[ \t]*\[/ {
            flush()
            name = $0; gsub(/^[ \t]*\[|\][ \t\r]*$/, "", name)
            insection = tolower(name) == tolower(section)
            if (insection) seen = 1
            print; next
        }
        insection && !done {
            k = $0; sub(/=.*/, "", k); gsub(/^[ \t]+|[ \t\r]+$/, "", k)
            if (tolower(k) == tolower(key)) { print key "=" value; done = 1; next }
        }
        { print }
        END { flush(); if (!seen) { print ""; print "[" section "]"; print key "=" value } }
    ' "$file" >"$tmp"
    mv "$tmp" "$file"
}

ini=$home/PX.INI
if [ ! -f "$ini" ]; then
    cat >"$ini" <<EOF
[User]
Name=Demo User
Company=Parvex Demo
Fax=+1 555 0100

[Modem]
ComPort=0
FaxClass=1
MaximumBPS=14400
FaxClassReceive=1
MaximumBPSReceive=14400

[Dialing]
DialAttempts=1

[Receive]
AnswerOnRing=1

[Ports]
COM1=$link
EOF
else
    # The program stays on the demo line whatever was changed in its settings.
    ini_set "$ini" Modem ComPort 0
    ini_set "$ini" Ports COM1 "$link"
fi

# The line simulator of this folder runs (not merely some process that took
# over the number of one that ended).
running() {
    local pid
    pid=$(cat "$pidfile" 2>/dev/null) || return 1
    [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null &&
        tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null | grep -q "parvex-modemsim demo --link $link "
}

started=0
if running; then
    echo "The demo line is already running (parvex-modemsim $(cat "$pidfile"))."
else
    # A link left by a run that did not end cleanly may point at someone
    # else's pty by now.
    if [ -L "$link" ]; then
        rm -f "$link"
    fi
    "$bin/parvex-modemsim" demo --link "$link" --inbox "$inbox" \
        --send "$top/resources/demo/demo-fax.tif" --id "PARVEX DEMO REMOTE" >"$log" 2>&1 &
    echo $! >"$pidfile"
    started=1
fi

parvex_pid=
stop_line() {
    if [ -n "$parvex_pid" ]; then
        kill "$parvex_pid" 2>/dev/null || true
        wait "$parvex_pid" 2>/dev/null || true
    fi
    if [ "$started" = 1 ]; then
        if running; then
            kill "$(cat "$pidfile")" 2>/dev/null || true
            wait "$(cat "$pidfile")" 2>/dev/null || true
        fi
        rm -f "$pidfile"
    fi
}
trap stop_line EXIT
trap 'exit 130' INT TERM

for _ in $(seq 50); do
    [ -e "$link" ] && break
    running || break
    sleep 0.2
done
if [ ! -e "$link" ]; then
    echo "error: the demo line did not start; see $log" >&2
    cat "$log" >&2
    exit 1
fi

cat <<EOF
Parvex demo: program folder $home
  COM1 is a simulated fax modem ($link). Dial any number: the remote fax
  machine answers and keeps every fax it receives in $inbox
  (fax-NNNN.tif, with a call report fax-NNNN.json).
  Press Receive and the remote machine calls within seconds with a two-page fax.
EOF

if [ "$gui" = 0 ]; then
    # The modem on COM1 must answer a plain "AT".
    exec 3<>"$link"
    stty -F "$link" raw -echo 2>/dev/null || true
    printf 'AT\r' >&3
    reply=
    deadline=$((SECONDS + 5))
    while [ $SECONDS -lt $deadline ]; do
        if IFS= read -r -t 1 -u 3 line; then
            reply+=$line
            case $reply in *OK*) break ;; esac
        fi
    done
    exec 3>&-
    case $reply in
        *OK*) echo "The modem on COM1 answers." ;;
        *) echo "error: the modem on COM1 does not answer" >&2; exit 1 ;;
    esac
    exit 0
fi

# In the background, so that a signal to this script ends the program and the
# line at once rather than after the program.
PARVEX_HOME=$home "$bin/parvex" "${args[@]}" &
parvex_pid=$!
status=0
wait "$parvex_pid" || status=$?
parvex_pid=
exit "$status"
