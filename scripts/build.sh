#!/usr/bin/env bash
# Configures and builds one build tree: scripts/build.sh DIR [cmake options...]
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
dir=$1
shift
jobs=${PARVEX_JOBS:-$(nproc)}
launcher=()
if command -v ccache >/dev/null 2>&1; then
    export CCACHE_DIR=${CCACHE_DIR:-$HOME/.cache/parvex-ccache}
    export CCACHE_MAXSIZE=${CCACHE_MAXSIZE:-5G}
    # Paths relative to the checkout, so a fresh clone elsewhere reuses the cache.
    export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$top}
    export CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-1}
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$top" -B "$top/$dir" -G Ninja "${launcher[@]}" "$@" >/dev/null
cmake --build "$top/$dir" -j "$jobs"
