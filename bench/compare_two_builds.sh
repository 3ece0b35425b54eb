#!/usr/bin/env bash
# Two built trees side by side in one run: each round runs the pass
# benchmarks (BM_WholePass, BM_LibraryPass) and the batch tool on the same
# generated CSV passes (--jobs 1 and 2, summary output) of the first build,
# then of the second, so that both figures of every comparison share the
# machine's state. Medians of ROUNDS rounds.
#
#   bench/compare_two_builds.sh OLD_BUILD_DIR NEW_BUILD_DIR [PASSES] [ROUNDS]
# (build dirs configured with -DOROWAN_BENCH=ON; defaults 100000 passes, 5 rounds)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
old=$1 new=$2 passes=${3:-100000} rounds=${4:-5}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 "$here/../tests/generate_inputs.py" csv "$passes" > "$work/passes.csv"

seconds() {  # binary jobs
  local start end
  start=$(date +%s.%N)
  "$1" "$work/passes.csv" -o "$work/out.csv" --jobs "$2"
  end=$(date +%s.%N)
  python3 -c "print($end - $start)"
}

for round in $(seq "$rounds"); do
  for side in old new; do
    dir=$old; [ "$side" = new ] && dir=$new
    "$dir/bench/pass_bench" --benchmark_filter='BM_WholePass$|BM_LibraryPass$' --benchmark_min_time=0.3 \
      --benchmark_format=csv 2>/dev/null | awk -F, -v s="$side" 'NR > 1 { gsub(/"/, "", $1); print s, $1, $4 / 1000 " us" }'
    for jobs in 1 2; do
      t=$(seconds "$dir/batch/orowan-batch" "$jobs")
      echo "$side batch_jobs_$jobs $(python3 -c "print(round($passes / $t))") passes/s"
    done
  done
done > "$work/figures"
python3 - "$work/figures" <<'PY'
import collections, statistics, sys
values, units = collections.defaultdict(list), {}
for line in open(sys.argv[1]):
    side, name, value, unit = line.split()
    values[(name, side)].append(float(value))
    units[name] = unit
for name in sorted({n for n, _ in values}):
    old, new = (statistics.median(values[(name, side)]) for side in ("old", "new"))
    rounds = len(values[(name, "new")])
    print(f"{name:18s} old {old:10.1f}  new {new:10.1f} {units[name]:9s} new/old {new / old:.3f}  ({rounds} rounds)")
PY
