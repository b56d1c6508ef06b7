#!/usr/bin/env bash
# Configures (once) and builds MORV incrementally in build/. Extra arguments name targets.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${MORV_BUILD_DIR:-$root/build}"
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$build" --parallel "${MORV_JOBS:-$(nproc)}" ${1:+--target "$@"}
