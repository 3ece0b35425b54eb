// The calibration's costs: fits per second of a friction fit (--fit U),
// beside a plain solve of the same passes in the same run, and the time of
// calibrating a 10,000-line log (linear:V friction, by:GRADE factors).
#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <string>

#include "calibrate/least_squares.h"
#include "passes/fit.h"
#include "passes/solve.h"

namespace {

namespace passes = orowan::passes;
using namespace orowan::calibrate;

// Cold passes of varied geometry, each with the force it has at U 0.12.
struct Target {
  passes::Request request;
  double force;
};

std::vector<Target> targets(int count) {
  std::mt19937 g(3);
  std::uniform_real_distribution<double> u(0, 1);
  auto scratch = std::make_unique<orowan::PassResult>();
  passes::Answer a;
  std::vector<Target> out;
  while (int(out.size()) < count) {
    passes::Request r;
    r.input.R = float(150 + 250 * u(g));
    r.input.H1 = float(1.5 + 2.5 * u(g));
    r.input.H2 = float(r.input.H1 * (0.7 + 0.15 * u(g)));
    r.input.meanYieldStress = float(20 + 25 * u(g));
    r.input.friction = 0.12f;
    passes::solveRequest(r, a, *scratch);
    if (!passes::hasNeutralPoint(a)) continue;
    r.input.friction = 0.1f;  // the fit's start
    out.push_back({r, a.summary.rollingForce});
  }
  return out;
}

void BM_SolvePass(benchmark::State& state) {
  const auto t = targets(64);
  auto scratch = std::make_unique<orowan::PassResult>();
  passes::Answer a;
  std::size_t i = 0;
  for (auto _ : state) {
    passes::solveRequest(t[i++ % t.size()].request, a, *scratch);
    benchmark::DoNotOptimize(a.summary.rollingForce);
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_FitFriction(benchmark::State& state) {
  const auto t = targets(64);
  auto scratch = std::make_unique<orowan::PassResult>();
  passes::Answer a;
  std::size_t i = 0;
  long solves = 0;
  for (auto _ : state) {
    const Target& target = t[i++ % t.size()];
    passes::FitGoal goal;
    goal.force = target.force;
    const passes::FitOutcome o = passes::fitPass(target.request, goal, a, *scratch);
    solves += o.solves;
    benchmark::DoNotOptimize(o.U);
  }
  state.SetItemsProcessed(state.iterations());
  state.counters["solves_per_fit"] = double(solves) / double(state.iterations());
}

// A log of `lines` lines as orowan-calibrate reads it, made with U =
// 0.16 - 0.00015 V and factors 1, 1.15, 0.9 for grades A, B, C, 1 % noise.
std::string logText(int lines) {
  std::mt19937 g(5);
  std::uniform_real_distribution<double> u(0, 1);
  std::normal_distribution<double> noise(0, 0.01);
  const char* grades[] = {"A", "B", "C"};
  const double factors[] = {1.0, 1.15, 0.9};
  auto scratch = std::make_unique<orowan::PassResult>();
  passes::Answer a;
  std::string csv = "R,H1,H2,Y,V,GRADE,FORCE_MEASURED\n";
  for (int n = 0; n < lines;) {
    const int k = int(g() % 3);
    passes::Request r;
    r.input.R = float(150 + 250 * u(g));
    r.input.H1 = float(1.5 + 2.5 * u(g));
    r.input.H2 = float(r.input.H1 * (0.7 + 0.15 * u(g)));
    const float Y = float(20 + 25 * u(g)), V = float(100 + 400 * u(g));
    r.input.meanYieldStress = float(Y * factors[k]);
    r.input.friction = float(0.16 - 0.00015 * V);
    passes::solveRequest(r, a, *scratch);
    if (!passes::hasNeutralPoint(a)) continue;
    ++n;
    csv += passes::singleText(r.input.R) + "," + passes::singleText(r.input.H1) + "," + passes::singleText(r.input.H2) +
           "," + passes::singleText(Y) + "," + passes::singleText(V) + "," + grades[k] + "," +
           passes::singleText(float(a.summary.rollingForce * (1 + noise(g)))) + "\n";
  }
  return csv;
}

void BM_Calibrate(benchmark::State& state) {
  const Law friction = parseFrictionLaw("linear:V"), factor = parseFactorLaw("by:GRADE");
  const Log log = readLog("bench", logText(int(state.range(0))), lawColumns(friction, factor), orowan::batch::Units::report);
  const Model model = makeModel(friction, factor, log);
  for (auto _ : state) {
    const Calibration c = calibrate(model, log, Settings{unsigned(state.range(1)), 100, nullptr});
    state.counters["iterations"] = c.iterations;
    benchmark::DoNotOptimize(c.values);
  }
}

BENCHMARK(BM_SolvePass);
BENCHMARK(BM_FitFriction);
BENCHMARK(BM_Calibrate)->Args({10000, 2})->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
