#!/usr/bin/env bash
# Builds the calculator and its tests and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-packages.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DOROWAN_BENCH=ON -DOROWAN_WEB=ON
cmake --build build
# Benchmark smoke run: the floor must make exactly the pass's math calls,
# and every benchmark runs once, briefly. Before ctest, whose summary ends
# the output.
build/bench/math_count
build/bench/pass_bench --benchmark_min_time=0.01
ctest --test-dir build --output-on-failure -j2
