// Set-ups per second of one coil through a five-stand tandem cold mill
// (setup/examples/tandem5.toml's first coil: force ratios, Swift curve,
// flattened rolls), beside the same mill with rigid rolls, in one run;
// counters: the analysis's passes a set-up solves, and passes per second.
#include <benchmark/benchmark.h>

#include <string>

#include "setup/mill_file.h"
#include "setup/setup.h"

namespace {

using namespace orowan::setup;

Mill exampleMill(bool rigid) {
  Mill m = readMillFile(std::string(OROWAN_SOURCE_DIR) + "/setup/examples/tandem5.toml");
  if (rigid) for (Stand& s : m.stands) s.E.reset(), s.NU.reset();
  return m;
}

void setUpFiveStands(benchmark::State& state, bool rigid) {
  const Mill mill = exampleMill(rigid);
  long passes = 0, setUps = 0;
  for (auto _ : state) {
    const SetUp s = setUpCoil(mill, mill.coils[0]);
    if (!s.valid()) state.SkipWithError(s.problem.c_str());
    benchmark::DoNotOptimize(s.ratioMiss);
    passes += s.solves, ++setUps;
  }
  state.counters["passes_per_setup"] = double(passes) / double(setUps);
  state.counters["passes_per_s"] = benchmark::Counter(double(passes), benchmark::Counter::kIsRate);
  state.counters["setups_per_s"] = benchmark::Counter(double(setUps), benchmark::Counter::kIsRate);
}

void BM_SetUpFlattenedRolls(benchmark::State& state) { setUpFiveStands(state, false); }
void BM_SetUpRigidRolls(benchmark::State& state) { setUpFiveStands(state, true); }

BENCHMARK(BM_SetUpFlattenedRolls)->Unit(benchmark::kMillisecond)->MinTime(3);
BENCHMARK(BM_SetUpRigidRolls)->Unit(benchmark::kMillisecond)->MinTime(3);

}  // namespace

BENCHMARK_MAIN();
