#!/usr/bin/env bash
# Runs one libFuzzer target of a fuzz build.
#   scripts/fuzz.sh TARGET SECONDS        e.g. scripts/fuzz.sh apf 600
#     builds build-fuzz when needed and fuzzes tests/data/fuzz/TARGET's seeds
#     (new inputs and any crash land in build-fuzz/tests/fuzz/corpus/TARGET)
#   scripts/fuzz.sh --runs N BINARY CORPUS SEEDS
#     a fixed number of inputs: the smoke run of the test script
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# Memory per input and time per input are bounded: a target that needs more
# has found a fault.
limits=(-rss_limit_mb=2048 -malloc_limit_mb=1024 -timeout=25)

if [[ ${1:-} == --runs ]]; then
    runs=$2 binary=$3 corpus=$4 seeds=$5
    mkdir -p "$corpus"
    cd "$corpus"
    exec "$binary" "${limits[@]}" -runs="$runs" -seed=1 -max_len=65536 \
        -artifact_prefix="$corpus/" "$corpus" "$seeds"
fi

if [[ $# -ne 2 ]]; then
    echo "usage: scripts/fuzz.sh TARGET SECONDS" >&2
    ls "$top/tests/data/fuzz" >&2
    exit 2
fi
target=$1 seconds=$2
dir="$top/build-fuzz"
# The layers that read outside input.
fuzz_areas="common;xbase;settings;comms;apf;t4;engine;convert;unpack;tiff;cliprintqueue"
if [[ ! -x "$dir/fuzz/fuzz_$target" ]]; then
    "$top/scripts/build.sh" build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DPARVEX_FUZZ=ON \
        -DPARVEX_SANITIZE=address,undefined -DPARVEX_GUI=OFF -DPARVEX_TESTS=OFF \
        -DPARVEX_BENCH=OFF "-DPARVEX_AREAS=$fuzz_areas" >/dev/null
fi
corpus="$dir/tests/fuzz/corpus/$target"
mkdir -p "$corpus"
cd "$corpus"
exec "$dir/fuzz/fuzz_$target" "${limits[@]}" -max_total_time="$seconds" -max_len=65536 \
    -print_final_stats=1 -artifact_prefix="$corpus/" "$corpus" "$top/tests/data/fuzz/$target"
