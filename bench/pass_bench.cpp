// Benchmarks of the calculator: a whole example pass against its math
// floor, one march side, one integrator step of each kind, a table row and
// reading the values of a pass. Output goes to a sink that discards it.
#include <benchmark/benchmark.h>

#include <cstring>

#include "analysis/analysis.h"
#include "passes/flow_curve.h"
#include "analysis/pass.h"
#include "analysis/side_by_side.h"
#include "console/reader.h"
#include "console/writer.h"
#include "program/report.h"
#include "chain_floor.h"
#include "math_floor.h"
#include "pass_harness.h"

namespace {

using orowan::rec;

// The example pass as the library's input.
orowan::PassInput examplePassInput() {
  orowan::PassInput input;
  input.R = 100, input.H1 = 2, input.H2 = 1.5, input.meanYieldStress = 20;
  input.friction = 0.1f;
  return input;
}

// Runs the example pass once, so that the record holds its results.
void runExamplePass() {
  bench::useMemoryConsole(bench::kExampleInput, sizeof bench::kExampleInput - 1);
  bench::runProgram();
}

// One whole pass: prompts, reads, echo, both marches with their tables,
// neutral point, summary, repeat prompt and the stop. Counters: records
// (write calls) and bytes per pass.
void BM_WholePass(benchmark::State& state) {
  bench::useMemoryConsole(bench::kExampleInput, sizeof bench::kExampleInput - 1);
  bench::enableTraps();
  for (auto _ : state) {
    bench::rewindConsole();
    benchmark::DoNotOptimize(bench::runProgram());
  }
  bench::disableTraps();
  state.counters["writes"] = static_cast<double>(bench::writeCalls());
  state.counters["bytes"] = static_cast<double>(bench::writtenBytes());
}
BENCHMARK(BM_WholePass);

// The math-library calls of that pass, and nothing else.
void BM_MathFloor(benchmark::State& state) {
  static bench::MathTape tape;
  bench::recordMathTape(tape, runExamplePass);
  for (auto _ : state) benchmark::DoNotOptimize(bench::runMathTape(tape));
  state.counters["sin"] = tape.sines.count;
  state.counters["cos"] = tape.cosines.count;
  state.counters["atan"] = tape.arctangents.count;
  state.counters["sqrt"] = tape.roots.count;
}
BENCHMARK(BM_MathFloor);

// The exit-side march alone, with its stress table.
void BM_ExitSideMarch(benchmark::State& state) {
  runExamplePass();
  bench::enableTraps();
  for (auto _ : state) {
    orowan::marchRollGap(orowan::Side::exit, orowan::stressTableWriter());
    benchmark::DoNotOptimize(rec.F);
  }
  bench::disableTraps();
  state.counters["steps"] = rec.EXIT_STEPS;
}
BENCHMARK(BM_ExitSideMarch);

// The example pass as a library call: both marches with every step kept,
// the loads and the summary, nothing written. Compare with BM_WholePass,
// and the marches side by side (solvePass) with the marches in turn.
template <void (*solve)(const orowan::PassInput&, orowan::PassResult&)>
void BM_Library(benchmark::State& state) {
  static orowan::PassResult result;
  const orowan::PassInput input = examplePassInput();
  for (auto _ : state) {
    solve(input, result);
    benchmark::DoNotOptimize(result.ROLLING_FORCE);
  }
}
BENCHMARK(BM_Library<orowan::solvePass>)->Name("BM_LibraryPass");
BENCHMARK(BM_Library<orowan::solvePassInTurn>)->Name("BM_LibraryPassInTurn");

// The example pass's latency floor: the chains of arithmetic that carry F
// from step to step, every angle term taken from a table, with the two
// marches in turn and side by side. Compare with BM_LibraryPass.
template <double (*run)(const bench::Chain&)>
void BM_Chain(benchmark::State& state) {
  const orowan::PassInput input = examplePassInput();
  const bench::Chain chain = bench::chainOf(input);
  if (!bench::chainMatchesPass(chain)) {
    state.SkipWithError("the chain does not give the pass's F");
    return;
  }
  for (auto _ : state) benchmark::DoNotOptimize(run(chain));
  state.counters["steps"] = static_cast<double>(chain.exit.steps.size() + chain.entry.steps.size());
}
BENCHMARK(BM_Chain<bench::chainInTurn>)->Name("BM_ChainInTurn");
BENCHMARK(BM_Chain<bench::chainSideBySide>)->Name("BM_ChainSideBySide");

// The two marches of the example pass side by side and nothing else (the
// record set up by a library pass first): what the marches add to the
// floor, and, against BM_LibraryPass, what the rest of the call costs.
void BM_MarchesSideBySide(benchmark::State& state) {
  static orowan::PassResult result;
  orowan::solvePass(examplePassInput(), result);
  bench::enableTraps();
  for (auto _ : state) {
    orowan::marchSideBySide(rec, result);
    benchmark::DoNotOptimize(rec.EXIT_F(result.exit.steps));
  }
  bench::disableTraps();
}
BENCHMARK(BM_MarchesSideBySide);

// The stage after the marches: the neutral point, the loads and the
// summary values of the example pass, from the record its marches left.
void BM_LoadAndSummary(benchmark::State& state) {
  static orowan::PassResult result;
  orowan::solvePass(examplePassInput(), result);
  bench::enableTraps();
  for (auto _ : state) {
    orowan::neutralPointAndLoad();
    orowan::workOutSummary();
    benchmark::DoNotOptimize(rec.ROLLING_FORCE);
  }
  bench::disableTraps();
  state.counters["neutral_step"] = rec.NEUTRAL_STEP;
}
BENCHMARK(BM_LoadAndSummary);

// The same pass with its yield stress from a work-hardening flow curve in
// a full table of 50 points (the tolerance asked is too tight to reach, so
// the table fills up). Compare with BM_LibraryPass.
void BM_LibraryPassFullYieldTable(benchmark::State& state) {
  static orowan::PassResult result;
  static orowan::PropertyPoints table;
  const orowan::passes::FlowCurve swift{orowan::passes::FlowCurve::Kind::swift, 55.0, 0.22, 0.012, 0};
  orowan::passes::yieldTableFromCurve(swift, 100, 2, 1.5f, 0.0, table, 1e-12);
  orowan::PassInput input;
  input.R = 100, input.H1 = 2, input.H2 = 1.5, input.friction = 0.1f;
  input.yieldTable = &table;
  for (auto _ : state) {
    orowan::solvePass(input, result);
    benchmark::DoNotOptimize(result.ROLLING_FORCE);
  }
  state.counters["points"] = table.count;
}
BENCHMARK(BM_LibraryPassFullYieldTable);

// One integrator step of the given kind at the states of the example's
// exit-side march, taken in turn.
template <bool slip>
void BM_Step(benchmark::State& state) {
  runExamplePass();
  const orowan::Real W = slip ? 1.0 - rec.A * rec.A * (1.0 - rec.PI * 0.25) : rec.PI * 0.25;
  const orowan::Real U = rec.frictionTable.values[0];
  const orowan::Real RK = rec.yieldTable.values[0];
  const orowan::Real H = rec.H2;
  const int steps = rec.EXIT_STEPS;
  orowan::Real next;
  int i = 1;
  bench::enableTraps();
  for (auto _ : state) {
    if (slip) {
      orowan::stepSlip(rec.EXIT_F(i), next, rec.EXIT_PHI(i), rec.ANGLE_STEP, H, U, RK, W,
                       rec.ROLL_DIAMETER);
    } else {
      orowan::stepStick(rec.EXIT_F(i), next, rec.EXIT_PHI(i), rec.ANGLE_STEP, H, U, RK, W,
                        rec.ROLL_DIAMETER);
    }
    benchmark::DoNotOptimize(next);
    i = i == steps ? 1 : i + 1;
  }
  bench::disableTraps();
}
BENCHMARK(BM_Step<true>)->Name("BM_StepSlip");
BENCHMARK(BM_Step<false>)->Name("BM_StepStick");

// One stress-table row, from the state the example pass left.
void BM_StressRow(benchmark::State& state) {
  runExamplePass();
  for (auto _ : state) orowan::writeStressRow();
}
BENCHMARK(BM_StressRow);

// The read statements of one pass (five prompts and the repeat answer)
// from memory.
void BM_ReadPassValues(benchmark::State& state) {
  bench::useMemoryConsole(bench::kExampleInput, sizeof bench::kExampleInput - 1);
  float v[7];
  std::int32_t answer = -1;
  for (auto _ : state) {
    bench::rewindConsole();
    for (int prompt = 0; prompt < 5; ++prompt) {
      orowan::console::beginRead();
      orowan::console::getRealItem(v[prompt]);
      if (prompt == 1 || prompt == 3) orowan::console::getRealItem(v[prompt == 1 ? 5 : 6]);
      orowan::console::endRead();
    }
    orowan::console::beginRead();
    orowan::console::getIntegerItem(answer);
    orowan::console::endRead();
    benchmark::DoNotOptimize(v);
    benchmark::DoNotOptimize(answer);
  }
}
BENCHMARK(BM_ReadPassValues);

}  // namespace

BENCHMARK_MAIN();
