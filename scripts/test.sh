#!/usr/bin/env bash
# Installs what is missing, builds every configuration and runs every test.
#   build-asan  engine and documents under AddressSanitizer + UndefinedBehaviorSanitizer, no GUI
#   build-tsan  the threaded layers under ThreadSanitizer
#   build-fuzz  the libFuzzer targets (clang, ASan + UBSan), each run on a fixed
#               number of inputs from its seeds in tests/data/fuzz
#   build       the normal build with everything
# The output ends with what failed in each part, so that its tail alone names
# every failure.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$top"
"$top/scripts/deps.sh"
jobs=${PARVEX_JOBS:-$(nproc)}
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
# Everything a test needs is installed above, so a missing prerequisite is a
# failure here, not a skip (tests/support/prerequisite.h).
export PARVEX_REQUIRE_PREREQUISITES=1
status=0

# What failed, by part; printed again at the very end.
part=""
failures=()

# Runs ctest on one build tree; a test that did not run counts as a failure.
run_ctest() {
    local log
    log=$(mktemp)
    local rc=0
    local skipped=0
    ctest "$@" 2>&1 | tee "$log" || rc=1
    if grep -q "The following tests did not run" "$log"; then
        echo "error: tests were skipped (see above)" >&2
        failures+=("$part: tests were skipped")
        skipped=1
        rc=1
    fi
    local failed
    failed=$(awk '/The following tests FAILED:/ { listing = 1; next }
                  listing && /^[[:space:]]+[0-9]+ - / { sub(/^[[:space:]]+/, ""); print; next }
                  { listing = 0 }' "$log")
    if [[ -n $failed ]]; then
        while IFS= read -r line; do
            failures+=("$part: $line")
        done <<<"$failed"
    elif ((rc != 0 && !skipped)); then
        failures+=("$part: ctest failed (see above)")
    fi
    rm -f "$log"
    return $rc
}

# The tests labelled slow are mostly calls through the line simulator: they
# run in real time and use little processor, so many run side by side.
slow_jobs=${PARVEX_SLOW_JOBS:-$((jobs * 4 > 8 ? jobs * 4 : 8))}

# Runs a build tree's tests (matrix excepted): the quick ones `jobs` at a
# time, then the slow ones `slow_jobs` at a time.
run_ctest_tree() {
    local dir=$1
    shift
    local rc=0
    run_ctest --test-dir "$dir" -j "$jobs" --output-on-failure -LE "slow|matrix" "$@" || rc=1
    run_ctest --test-dir "$dir" -j "$slow_jobs" --output-on-failure -L slow -LE matrix "$@" || rc=1
    return $rc
}

# Threaded layers that ThreadSanitizer checks (areas as in CMakeLists.txt).
tsan_areas="common;comms;apf;t4;engine;components"

part="ASan/UBSan"
echo "== ASan/UBSan build (no GUI)"
"$top/scripts/build.sh" build-asan -DCMAKE_BUILD_TYPE=Debug -DPARVEX_SANITIZE=address,undefined \
    -DPARVEX_GUI=OFF -DPARVEX_BENCH=OFF -DPARVEX_WERROR=ON
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
run_ctest_tree build-asan --timeout 900 || status=1

part="TSan"
echo "== TSan build ($tsan_areas)"
"$top/scripts/build.sh" build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPARVEX_SANITIZE=thread \
    -DPARVEX_GUI=OFF -DPARVEX_BENCH=OFF -DPARVEX_WERROR=ON "-DPARVEX_AREAS=$tsan_areas"
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1
run_ctest --test-dir build-tsan -j "$jobs" --output-on-failure --timeout 900 -L tsan || status=1
unset ASAN_OPTIONS UBSAN_OPTIONS TSAN_OPTIONS

part="fuzz smoke"
echo "== Fuzz smoke runs (clang, libFuzzer)"
"$top/scripts/build.sh" build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
    -DCMAKE_CXX_COMPILER=clang++ -DPARVEX_FUZZ=ON -DPARVEX_SANITIZE=address,undefined \
    -DPARVEX_GUI=OFF -DPARVEX_TESTS=OFF -DPARVEX_BENCH=OFF -DPARVEX_WERROR=ON \
    "-DPARVEX_AREAS=common;xbase;settings;comms;apf;t4;engine;convert;unpack;tiff;cliprintqueue"
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
run_ctest --test-dir build-fuzz -j "$jobs" --output-on-failure -L fuzz || status=1
unset UBSAN_OPTIONS

part="normal build"
echo "== Normal build (everything, with benchmarks built)"
"$top/scripts/build.sh" build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPARVEX_WERROR=ON
run_ctest_tree build --timeout 1800 || status=1

echo "== Summary"
if ((${#failures[@]} > 0)); then
    printf 'FAILED  %s\n' "${failures[@]}"
elif ((status != 0)); then
    echo "FAILED  (see above)"
else
    echo "every part passed"
fi
exit $status
