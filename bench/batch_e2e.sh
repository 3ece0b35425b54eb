#!/usr/bin/env bash
# End-to-end measurement of orowan-batch: generated passes (CSV, the
# summary output to a file), passes per second with --jobs 1 and --jobs 2
# (best of RUNS), and peak resident memory for a tenth of the passes and
# for all of them, which must be within 10 % of each other (memory stays
# bounded however many passes).
#
#   bench/batch_e2e.sh [BINARY] [PASSES] [RUNS]   default build/batch/orowan-batch, 100000, 2
#
# Needs python3 (the input) and GNU time (package time) for the memory.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
binary=${1:-$here/../build/batch/orowan-batch}
passes=${2:-100000}
runs=${3:-2}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

python3 "$here/../tests/generate_inputs.py" csv "$passes" > "$work/all.csv"
python3 "$here/../tests/generate_inputs.py" csv "$((passes / 10))" > "$work/tenth.csv"

echo "machine:                $(lscpu | sed -n 's/^Model name: *//p'), $(nproc) cores"

# Best wall time of `runs` runs with the given thread count.
best_seconds() {
  local jobs=$1 best=""
  for _ in $(seq "$runs"); do
    local start end t
    start=$(date +%s.%N)
    "$binary" "$work/all.csv" -o "$work/out.csv" --jobs "$jobs"
    end=$(date +%s.%N)
    t=$(python3 -c "print($end - $start)")
    best=$(python3 -c "print(min($t, ${best:-$t}))")
  done
  echo "$best"
}

one=$(best_seconds 1)
two=$(best_seconds 2)
python3 - "$passes" "$one" "$two" <<'PY'
import sys
passes, one, two = int(sys.argv[1]), float(sys.argv[2]), float(sys.argv[3])
print(f"passes:                 {passes}")
print(f"--jobs 1:               {one:.2f} s, {passes / one:.0f} passes/s")
print(f"--jobs 2:               {two:.2f} s, {passes / two:.0f} passes/s")
print(f"speed-up:               {one / two:.2f}")
PY
echo "result lines:           $(($(wc -l < "$work/out.csv") - 1))"

if [ ! -x /usr/bin/time ]; then
  echo "peak resident memory:   not measured (/usr/bin/time is not installed)"
  exit 0
fi
peak() { /usr/bin/time -f %M "$binary" "$1" -o "$work/out.csv" --jobs 2 2>&1 >/dev/null | tail -1; }
small=$(peak "$work/tenth.csv")
large=$(peak "$work/all.csv")
echo "peak resident memory:   $small KiB for $((passes / 10)) passes, $large KiB for $passes passes"
python3 -c "import sys; r = $large / $small; print(f'memory ratio:           {r:.3f}'); sys.exit(0 if r <= 1.10 else 1)" \
  || { echo "FAIL: memory grows with the number of passes"; exit 1; }
