#!/usr/bin/env bash
# Installs what is missing, builds, and starts Parvex.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$top/scripts/deps.sh"
"$top/scripts/build.sh" build -DCMAKE_BUILD_TYPE=RelWithDebInfo >&2
exec "$top/build/bin/parvex" "$@"
