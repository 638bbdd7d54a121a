#!/usr/bin/env bash
# Whole-call time of a 3-page fine text fax at 14400 bit/s through the line
# simulator in real time: Parvex Class 1 and Class 2.0 against the simulator's
# reference call (spandsp terminal to spandsp terminal) on the very pages
# Parvex put on the line, plus the protocol's lower bound for those pages.
#   bench/fax/engine/call_timing.sh [BUILD_DIR]   (default: build)
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)
bin=${1:-$top/build}/bin
work=$(mktemp -d /tmp/px-call-timing.XXXXXX)
[[ -n ${PX_KEEP:-} ]] || trap 'rm -rf "$work"' EXIT

for p in parvex-fax parvex-modemsim; do
    [[ -x $bin/$p ]] || { echo "missing $bin/$p (build first)" >&2; exit 2; }
done

field() { sed -n "s/^ *\"$2\": \"\{0,1\}\([^\",]*\)\"\{0,1\},\{0,1\}$/\1/p" "$1"; }

letter=$work/letter.txt
for page in 1 2 3; do
    printf 'Parvex timing letter, page %d\n\n' "$page"
    for line in $(seq 1 40); do
        printf 'Line %02d of page %d: the quick brown fox jumps over the lazy dog.\n' "$line" "$page"
    done
    [[ $page -lt 3 ]] && printf '\f'
done >"$letter"

# One call: the far end receives; prints "<line seconds> <program wall seconds>".
call() {
    local class=$1 name=$2
    "$bin/parvex-modemsim" remote-receive --class "$class" --link "$work/tty-$name" --fine \
        --out "$work/$name.tif" --report "$work/$name.json" --timeout 300 \
        >"$work/$name-sim.log" 2>&1 &
    local sim=$!
    for _ in $(seq 100); do [[ -e $work/tty-$name ]] && break; sleep 0.1; done
    local start end
    start=$(date +%s.%N)
    "$bin/parvex-fax" send --port "$work/tty-$name" --to 5551234 --class "$class" \
        --rate 14400 --fine --station-id "PARVEX TIMING" "$letter" >"$work/$name-fax.log" 2>&1 ||
        { echo "the Class $class call failed:" >&2; tail -5 "$work/$name-fax.log" >&2; exit 1; }
    end=$(date +%s.%N)
    wait "$sim" || true
    [[ $(field "$work/$name.json" success) == true ]] || { echo "far end: no success" >&2; exit 1; }
    [[ $(field "$work/$name.json" pages) == 3 ]] || { echo "far end: not 3 pages" >&2; exit 1; }
    echo "$(field "$work/$name.json" line_seconds) $(awk "BEGIN{print $end - $start}")"
}

read -r c1_line c1_wall < <(call 1 class1)
read -r c20_line c20_wall < <(call 2.0 class20)

# The reference sends what Parvex put on the line (the far end's copy of the
# Class 1 call), coded as Parvex codes it (T.4 one-dimensional) and, for
# information, with the best coding the two terminals agree on.
reference() {
    "$bin/parvex-modemsim" reference --in "$work/class1.tif" --out "$work/ref$1.tif" \
        --report "$work/ref$1.json" --max-rate 14400 --fine $2 >"$work/ref$1.log" 2>&1
    field "$work/ref$1.json" line_seconds
}
ref_1d=$(reference 1d --1d)
ref_best=$(reference best "")

# Page data of the three pages: the octets Parvex codes for them.
page_bytes=$("${1:-$top/build}/bench/call_timing_pages" "$letter" "$work/letter.apf")

# Lower bound: T.30 phase B once (silence, CED, CSI+DIS, TSI+DCS, TCF behind
# a long V.17 training, CFR), per page the V.17 training (long for the first,
# short after MPS), the page bits and the post-page exchange (MPS/EOP, MCF),
# then DCN. A V.21 burst costs 1 s of flags plus its frames' octets (address,
# control, FCF, FIF, FCS, closing flag) at 300 bit/s; T.30 puts 75 ms between
# signals.
formula=$(python3 - $page_bytes <<'PY'
import sys
pages = [int(x) for x in sys.argv[1:]]
burst = lambda *fifs: 1.0 + sum(8 * (3 + fif + 3) / 300 for fif in fifs)
gap = 0.075
setup = 0.2 + 2.6 + gap + burst(20, 5) + gap + burst(20, 4) + gap + 1.393 + 1.5 + gap \
    + burst(0) + gap
per_page = sum((1.393 if i == 0 else 0.142) + 8 * b / 14400 + gap + burst(0) + gap + burst(0) + gap
               for i, b in enumerate(pages))
print(f"{setup + per_page + burst(0):.2f} {setup:.2f}")
PY
)
read -r limit setup <<<"$formula"

printf '3-page fine text fax at 14400 bit/s, page data %s octets\n' "$page_bytes"
printf '%-34s %8s %8s\n' "call" "line s" "ratio"
printf '%-34s %8.2f %8s\n' "reference, T.4 1D (as Parvex)" "$ref_1d" "1.00"
printf '%-34s %8.2f %8.2f\n' "reference, best coding" "$ref_best" "$(awk "BEGIN{print $ref_best / $ref_1d}")"
printf '%-34s %8.2f %8.2f\n' "Parvex Class 1" "$c1_line" "$(awk "BEGIN{print $c1_line / $ref_1d}")"
printf '%-34s %8.2f %8.2f\n' "Parvex Class 2.0" "$c20_line" "$(awk "BEGIN{print $c20_line / $ref_1d}")"
printf '%-34s %8.2f %8.2f\n' "formula limit (setup $setup s)" "$limit" "$(awk "BEGIN{print $limit / $ref_1d}")"
printf 'parvex-fax wall time, modem set-up included: Class 1 %.2f s, Class 2.0 %.2f s\n' \
    "$c1_wall" "$c20_wall"
