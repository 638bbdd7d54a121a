#!/usr/bin/env bash
# Installs what is missing, builds, and starts Parvex.
# --demo: Parvex on a simulated fax line in a program folder of its own
# (scripts/run_demo.sh).
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
for a in "$@"; do
    if [ "$a" = --demo ]; then
        exec "$top/scripts/run_demo.sh" "$@"
    fi
done
"$top/scripts/deps.sh"
"$top/scripts/build.sh" build -DCMAKE_BUILD_TYPE=RelWithDebInfo >&2
exec "$top/build/bin/parvex" "$@"
