#!/usr/bin/env bash
# Builds the fuzz targets of fuzz/ with clang (libFuzzer under AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each for the given number of seconds, several at a time.
# Each target starts from its seeds (fuzz/seeds.txt, fuzz/seeds/<target>/), its kept inputs and
# the corpus of earlier runs (<build>/corpus/<target>/), with its dictionary (fuzz/dict/) if any.
# Every input that crashes, hangs or runs out of memory is written to fuzz/kept/<target>/, where
# ctest replays it from then on: give it a name that says what it shows and commit it with the
# fix. At the end each target's executions and new faults are listed.
# usage: scripts/fuzz.sh SECONDS [TARGET...]      (all targets when none is named)
#   MORV_FUZZ_BUILD_DIR  build folder (default build-fuzz/)
#   MORV_FUZZ_PARALLEL   targets run at a time (default: all cores but three, at least one)
#   MORV_FUZZ_WALL_MS    wall bound of one input's run or mesh generation (default 2000)
#   MORV_FUZZ_TOLERATE   kinds of the faults the targets find by checking results that are only
#                        reported, not kept (comma-separated, e.g. "angle,refused" while their
#                        fix is under way)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:?usage: scripts/fuzz.sh SECONDS [TARGET...]}
shift
build="${MORV_FUZZ_BUILD_DIR:-$root/build-fuzz}"
parallel="${MORV_FUZZ_PARALLEL:-$(( $(nproc) > 4 ? $(nproc) - 3 : 1 ))}"

"$root/scripts/install-deps.sh"
if [ ! -f "$build/build.ninja" ]; then
  CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DMORV_FUZZ=ON -DMORV_SANITIZE=address,undefined -DMORV_BUILD_TESTS=OFF -DMORV_BUILD_BENCH=OFF
fi
cmake --build "$build" --parallel "${MORV_JOBS:-$(nproc)}" --target morv_fuzzers

# target name, then its seed globs, one target a line
seed_lines=$(grep -E '^[a-z]' "$root/fuzz/seeds.txt")
targets=("$@")
[ ${#targets[@]} -gt 0 ] || read -r -a targets <<< "$(cut -d' ' -f1 <<< "$seed_lines" | tr '\n' ' ')"

source "$root/scripts/sanitizer-options.sh"

run_target() {
  local t=$1 seeds kept="$root/fuzz/kept/$t" pattern file
  [ -x "$build/fuzz/fuzz_$t" ] || { echo "no fuzz target $t" >&2; return 1; }
  mkdir -p "$build/corpus/$t" "$build/seeds/$t" "$build/logs" "$kept"
  # libFuzzer reads seeds from folders: the fixture files are copied into one.
  seeds=$(awk -v t="$t" '$1 == t { $1 = ""; print }' <<< "$seed_lines")
  for pattern in $seeds; do
    for file in "$root"/$pattern; do
      [ -f "$file" ] && cp "$file" "$build/seeds/$t/"
    done
  done
  local dirs=("$build/corpus/$t" "$build/seeds/$t" "$kept") options=()
  [ -d "$root/fuzz/seeds/$t" ] && dirs+=("$root/fuzz/seeds/$t")
  [ -f "$root/fuzz/dict/$t.dict" ] && options+=(-dict="$root/fuzz/dict/$t.dict")
  # Fork mode goes on after a crash, a time-out or running out of memory, so one fault does
  # not end the run; each is written to fuzz/kept/<target>/.
  (cd "$build/corpus" && "$build/fuzz/fuzz_$t" -fork=1 -ignore_crashes=1 -ignore_timeouts=1 \
      -ignore_ooms=1 -max_total_time="$seconds" -timeout=10 -rss_limit_mb=1024 \
      -artifact_prefix="$kept/" "${options[@]}" "${dirs[@]}") > "$build/logs/$t.log" 2>&1 || true
}

mkdir -p "$root/fuzz/kept"
before=$(find "$root/fuzz/kept" -type f | sort)
running=0
for t in "${targets[@]}"; do
  run_target "$t" &
  running=$((running + 1))
  if [ "$running" -ge "$parallel" ]; then
    wait -n || true
    running=$((running - 1))
  fi
done
wait

# What an input shows: the sanitizer's or libFuzzer's kind of fault, or the kind of a fault a
# target found by checking a result ("fuzz: fault: <kind>:"), and the first frame in the
# project's code (outside fuzz/); empty when it runs clean.
fault_of() {
  local t=$1 input=$2 out kind frame
  out=$(cd "$build/corpus" && timeout 120 "$build/fuzz/fuzz_$t" -runs=1 -timeout=10 \
          -rss_limit_mb=1024 "$input" 2>&1) && return 0
  kind=$(grep -m1 -oE '^fuzz: fault: [^:]+' <<< "$out" \
           || grep -m1 -oE 'SUMMARY: [A-Za-z]+: [a-z-]+' <<< "$out" || echo "SUMMARY: died")
  frame=$(grep -E "^ *#[0-9]+ .* $root/" <<< "$out" | grep -v "$root/fuzz/" | head -n 1 \
            | grep -oE "$root/[^ ]+" | sed -E "s|^$root/||; s|:[0-9]+\$||" || true)
  echo "$kind at ${frame:-?}"
}

# Fork mode writes every crashing input it meets: of each fault only the smallest input stays,
# and none when a kept input already shows it.
printf '%-18s %14s  %s\n' target executions "new faults (the input kept for each)"
for t in "${targets[@]}"; do
  execs=$(grep -oE '^#[0-9]+' "$build/logs/$t.log" | tail -n 1 | tr -d '#')
  declare -A known=()
  new=()
  while IFS= read -r file; do
    [ -n "$file" ] || continue
    if grep -qxF "$file" <<< "$before"; then
      fault=$(fault_of "$t" "$file")
      [ -n "$fault" ] && known["$fault"]=$file
    else
      new+=("$file")
    fi
  done < <(find "$root/fuzz/kept/$t" -type f | sort)
  declare -A kept_for=()
  # Smallest first, so the input kept for a fault is its smallest.
  while IFS= read -r file; do
    [ -f "$file" ] || continue
    fault=$(fault_of "$t" "$file")
    if [ -z "$fault" ] || [ -n "${known[$fault]:-}" ] || [ -n "${kept_for[$fault]:-}" ]; then
      rm -f -- "$file"
    else
      kept_for["$fault"]=$file
    fi
  done < <([ ${#new[@]} -eq 0 ] || stat -c '%s %n' -- "${new[@]}" | sort -n | cut -d' ' -f2-)
  printf '%-18s %14s  %s\n' "$t" "${execs:-?}" "${#kept_for[@]}"
  for fault in "${!kept_for[@]}"; do
    printf '    %s: %s\n' "$fault" "${kept_for[$fault]#$root/}"
  done
  unset known kept_for
done
