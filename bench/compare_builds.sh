#!/usr/bin/env bash
# The whole-pass benchmark of three builds in one run: a base revision
# (before a change), the working tree, and the working tree with its
# per-thread state declared plain thread_local instead of thread_local
# constinit. Each build's BM_WholePass and BM_LibraryPass (where it has one)
# run in turn, five repetitions each, so that all figures share the
# machine's state.
#
#   bench/compare_builds.sh BASE_REV [WORKDIR]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
base=$1
work=${2:-/tmp/orowan-compare}
mkdir -p "$work"

build() {  # name, source, extra flags
  cmake -S "$2" -B "$work/$1" -G Ninja -DCMAKE_BUILD_TYPE=Release -DOROWAN_BENCH=ON \
    -DOROWAN_TESTS=OFF -DCMAKE_CXX_FLAGS="$3" >/dev/null
  cmake --build "$work/$1" --target pass_bench >/dev/null
}

rm -rf "$work/base-tree"
git -C "$here" worktree add -f "$work/base-tree" "$base" >/dev/null 2>&1
build base "$work/base-tree" ""
build constinit "$here" ""
build plain "$here" "-DOROWAN_PLAIN_THREAD_LOCAL"
git -C "$here" worktree remove --force "$work/base-tree"

for round in 1 2 3 4 5; do
  for name in base constinit plain; do
    "$work/$name/bench/pass_bench" --benchmark_filter='BM_WholePass|BM_LibraryPass' \
      --benchmark_min_time=0.5 --benchmark_format=csv 2>/dev/null |
      awk -F, -v b="$name" 'NR > 1 { gsub(/"/, "", $1); print b, $1, $3 }'
  done
done | sort | awk '
  { key = $1 " " $2; n[key]++; v[key, n[key]] = $3 }
  END {
    for (k in n) {
      m = n[k]; for (i = 1; i <= m; i++) a[i] = v[k, i]
      for (i = 1; i <= m; i++) for (j = i + 1; j <= m; j++) if (a[j] < a[i]) { t = a[i]; a[i] = a[j]; a[j] = t }
      printf "%-10s %-16s median %8.1f us of %d runs\n", substr(k, 1, index(k, " ") - 1), substr(k, index(k, " ") + 1), a[int((m + 1) / 2)] / 1000, m
    }
  }' | sort
