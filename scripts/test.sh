#!/usr/bin/env bash
# Builds everything and runs every test; exits non-zero on any failure.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
export QT_QPA_PLATFORM=offscreen
cd "${MORV_BUILD_DIR:-$root/build}"
ctest --output-on-failure --timeout 600 -j "${MORV_JOBS:-$(nproc)}"
