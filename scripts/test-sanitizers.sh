#!/usr/bin/env bash
# Builds everything but the benchmarks with clang under AddressSanitizer and
# UndefinedBehaviorSanitizer in build-asan/ and runs every test there, the replay of the fuzz
# targets' kept inputs included; the first sanitizer report fails its test. Exits non-zero on
# any failure.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${MORV_ASAN_BUILD_DIR:-$root/build-asan}"
"$root/scripts/install-deps.sh"
if [ ! -f "$build/build.ninja" ]; then
  CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DMORV_SANITIZE=address,undefined -DMORV_BUILD_BENCH=OFF
fi
cmake --build "$build" --parallel "${MORV_JOBS:-$(nproc)}"
source "$root/scripts/sanitizer-options.sh"
export QT_QPA_PLATFORM=offscreen
cd "$build"
ctest --output-on-failure --timeout 600 -j "${MORV_JOBS:-$(nproc)}"
