// A hot pass against a cold pass of the same geometry, both through the
// one pass: what the strip's temperature (transfer, descaling, bite, the
// exit temperature iterated with the heating) and the hot law's yield
// table cost beside the analysis itself. A flow curve's pass (a table,
// no temperature) is the third figure, to separate the two costs.
#include <benchmark/benchmark.h>

#include <memory>

#include "passes/solve.h"

namespace {

using namespace orowan::passes;

// A finishing pass: R 350 mm, 12 -> 8.5 mm, U 0.3, 180 m/min.
Request geometry() {
  Request r;
  r.input.R = 350, r.input.H1 = 12, r.input.H2 = 8.5f, r.input.friction = 0.3f;
  r.rollSpeed = 180;
  return r;
}

Request cold() {
  Request r = geometry();
  r.input.meanYieldStress = 15;
  return r;
}

Request curved() {
  Request r = geometry();
  r.hasCurve = true;
  r.curve = {FlowCurve::Kind::swift, 20, 0.2, 0.05, 0};
  return r;
}

Request hot(FlowLaw law) {
  Request r = geometry();
  r.hot = true;
  r.temperature = 1000;
  r.hotMaterial.law = law;
  r.hotMaterial.carbon = 0.1;
  if (law == FlowLaw::henselSpittel) r.hotMaterial.coefficients = henselSpittelC45();
  r.heat.TRANSFER = 6, r.heat.DESCALE = 0.3;
  return r;
}

void run(benchmark::State& state, const Request& request) {
  auto scratch = std::make_unique<orowan::PassResult>();
  Answer answer;
  for (auto _ : state) {
    solveRequest(request, answer, *scratch);
    benchmark::DoNotOptimize(answer.summary.rollingForce);
  }
  if (answer.status != Status::ok) state.SkipWithError("the pass did not solve");
  state.SetItemsProcessed(state.iterations());
}

void BM_ColdPass(benchmark::State& state) { run(state, cold()); }
void BM_CurvePass(benchmark::State& state) { run(state, curved()); }
void BM_HotPassMisaka(benchmark::State& state) { run(state, hot(FlowLaw::misaka)); }
void BM_HotPassShida(benchmark::State& state) { run(state, hot(FlowLaw::shida)); }
void BM_HotPassHenselSpittel(benchmark::State& state) { run(state, hot(FlowLaw::henselSpittel)); }

BENCHMARK(BM_ColdPass);
BENCHMARK(BM_CurvePass);
BENCHMARK(BM_HotPassMisaka);
BENCHMARK(BM_HotPassShida);
BENCHMARK(BM_HotPassHenselSpittel);

}  // namespace

BENCHMARK_MAIN();
