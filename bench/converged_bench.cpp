// Passes per second of the converged solver on the example pass (R 100,
// H 2 -> 1.5, yield 20, no tensions, friction 0.1), beside one grid of the
// converged scheme, the console's scheme and the Boost.Odeint check.
#include <benchmark/benchmark.h>

#include "accuracy/converged.h"
#include "accuracy/odeint_check.h"

namespace {

using namespace orowan::accuracy;

const PassConditions kExample{100, 2, 1.5, 20, 0, 0, 0.1};

// Converged mode as the batch tool calls it: 400 and 800 steps a side.
void BM_ConvergedPass(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(solveConverged(kExample));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ConvergedPass)->Unit(benchmark::kMicrosecond);

void BM_FixedGrid400(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(solveFixedSteps(kExample, 400));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FixedGrid400)->Unit(benchmark::kMicrosecond);

void BM_ConsoleSchemePass(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(solveConsoleScheme(kExample));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ConsoleSchemePass)->Unit(benchmark::kMicrosecond);

void BM_OdeintCheckPass(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(solveWithOdeint(kExample));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_OdeintCheckPass)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
