#!/usr/bin/env bash
# Compiler independence: builds the program with GCC -O0, GCC -O2, Clang
# -O2 and both -O2 with -march=native, runs a fixed set of generated inputs
# through each build, and requires byte-identical standard output, standard
# error and exit status across all builds.
#
# Usage: compare.sh SOURCE_DIR WORK_PREFIX [COUNT]
#   builds go to WORK_PREFIX-<name>, inputs and results to WORK_PREFIX-runs.
set -euo pipefail
source_dir=$(cd "$1" && pwd)
prefix=$2
count=${3:-240}
here=$(cd "$(dirname "$0")" && pwd)

builds=(
  "gcc-O0|g++|-O0"
  "gcc-O2|g++|-O2"
  "clang-O2|clang++|-O2"
  "gcc-O2-native|g++|-O2 -march=native"
  "clang-O2-native|clang++|-O2 -march=native"
)

build() {  # name compiler flags
  local dir="$prefix-$1"
  cmake -S "$source_dir" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=None \
    -DCMAKE_CXX_COMPILER="$2" -DCMAKE_CXX_FLAGS="$3" -DOROWAN_TESTS=OFF >/dev/null
  cmake --build "$dir" --target orowan >/dev/null
}

runs="$prefix-runs"
rm -rf "$runs"
mkdir -p "$runs/inputs"
python3 "$here/../generate_inputs.py" cases "$runs/inputs" "$count"

for entry in "${builds[@]}"; do
  IFS='|' read -r name compiler flags <<<"$entry"
  build "$name" "$compiler" "$flags"
  mkdir -p "$runs/$name"
  for input in "$runs/inputs"/*.in; do
    base="$runs/$name/$(basename "$input" .in)"
    status=0
    "$prefix-$name/orowan" <"$input" >"$base.out" 2>"$base.err" || status=$?
    echo "$status" >"$base.status"
  done
done

# Every build against the first, file by file.
reference=${builds[0]%%|*}
differences=0
for entry in "${builds[@]:1}"; do
  name=${entry%%|*}
  for file in "$runs/$reference"/*; do
    if ! cmp -s "$file" "$runs/$name/$(basename "$file")"; then
      echo "differs: $name $(basename "$file") (input $runs/inputs/$(basename "${file%.*}").txt)"
      differences=$((differences + 1))
    fi
  done
done

# The set must really cover what it claims, or identical results prove little.
ref="$runs/$reference"
covered() {  # description minimum count
  printf '%-28s %4d\n' "$1:" "$3"
  if [ "$3" -lt "$2" ]; then echo "too few: $1"; differences=$((differences + 1)); fi
}
covered "inputs" 200 "$(ls "$runs/inputs" | wc -l)"
covered "normal ends" 40 "$(grep -lx 0 "$ref"/*.status | wc -l)"
covered "passes with a result" 100 "$(grep -l 'CALCULATED RESULT -- 2' "$ref"/*.out | wc -l)"
covered "no neutral point" 10 "$(grep -l 'NO NEUTRAL POINT' "$ref"/*.out | wc -l)"
covered "sticking rows" 20 "$(grep -lE '^ +[-.0-9]+ +[-.0-9]+ +2 ' "$ref"/*.out | wc -l)"
covered "slipping rows" 20 "$(grep -lE '^ +[-.0-9]+ +[-.0-9]+ +1 ' "$ref"/*.out | wc -l)"
covered "arithmetic faults (M)" 10 "$(grep -l 'error M6' "$ref"/*.err | wc -l)"
covered "input errors (F)" 10 "$(grep -l 'error F6' "$ref"/*.err | wc -l)"
covered "end of input" 5 "$(grep -l 'F6501' "$ref"/*.err | wc -l)"

if [ "$differences" -ne 0 ]; then
  echo "FAILED: $differences differences or gaps"
  exit 1
fi
echo "identical across ${#builds[@]} builds"
