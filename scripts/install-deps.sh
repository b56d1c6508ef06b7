#!/usr/bin/env bash
# Installs the Debian packages that building and testing MORV needs, once:
# packages that are already there are not touched.
set -euo pipefail
# libopenblas0-serial: an optimised single-threaded BLAS in place of the reference one, through
# Debian's alternatives; the sparse LU of two-dimensional runs spends its dense work there.
# fonts-ipafont-gothic: a free Japanese gothic fixed-pitch face (IPAGothic), which draws the
# default script font name and the Japanese letters of the dialogs.
# clang, libclang-rt-14-dev: clang with its sanitizer and libFuzzer runtimes, for the sanitizer
# tests and the fuzz targets.
packages=(build-essential cmake ninja-build pkg-config git
          qt6-base-dev libgl-dev libpcre2-dev libsuitesparse-dev libopenblas0-serial
          libgtest-dev libgmock-dev libbenchmark-dev liblapack-dev
          fonts-ipafont-gothic clang libclang-rt-14-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
echo "installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
