#!/usr/bin/env bash
# Builds the program and starts it; arguments go to the program (a .MV3 document to open).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" morv
exec "${MORV_BUILD_DIR:-$root/build}/app/morv" "$@"
