#!/usr/bin/env bash
# Builds the libFuzzer targets with Clang (ASan and UBSan on) and fuzzes
# each for SECONDS (default 60). New inputs go to build-fuzz/corpus-<target>,
# a crash to build-fuzz/crash-<target>-*; the seeds under fuzz/corpus stay
# as they are.
#   bash fuzz/run.sh            # CI: one minute per target
#   bash fuzz/run.sh 3600 pass  # one hour on the whole-pass target
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(reader writer pass batch_input)

cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER=clang++ \
  -DOROWAN_FUZZ=ON -DOROWAN_TESTS=OFF >/dev/null
cmake --build build-fuzz >/dev/null

for target in "${targets[@]}"; do
  mkdir -p "build-fuzz/corpus-$target"
  echo "fuzzing $target for $seconds s"
  log="build-fuzz/log-$target.txt"
  status=0
  "build-fuzz/fuzz/${target}_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="build-fuzz/crash-$target-" \
    "build-fuzz/corpus-$target" "fuzz/corpus/$target" >"$log" 2>&1 || status=$?
  grep -E '^(Done|stat::(number_of_executed_units|new_units_added|peak_rss_mb))' "$log" || true
  if [ "$status" -ne 0 ]; then
    tail -n 60 "$log"
    echo "fuzz target $target failed (status $status); the input is build-fuzz/crash-$target-*"
    exit 1
  fi
done
