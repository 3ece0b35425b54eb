// Benchmarks of the batch tool's serial stages against the pass itself:
// reading and preparing one CSV line, and writing one result line (CSV,
// and JSON with every step). The serial stages must stay small beside
// the solve, or --jobs 2 could not run near twice as fast.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include "passes/solve.h"
#include "batch/input.h"
#include "batch/request.h"
#include "batch/writers.h"

namespace {

constexpr int kLines = 1000;

std::string csvLines() {
  std::string csv = "R,H1,H2,Y,SGB,SGF,U\n";
  for (int i = 0; i < kLines; ++i) csv += "212.489,7.6674,6.5521,54.86,0.00,3.25,0.1104\n";
  return csv;
}

// Per line: the record, its value texts read as typed REALs, the input.
void BM_BatchReadLine(benchmark::State& state) {
  const std::string csv = csvLines();
  orowan::batch::Sweep sweep;
  static orowan::batch::PassJob job;
  for (auto _ : state) {
    orowan::batch::ByteSource bytes(csv);
    auto source = orowan::batch::openPassSource(bytes, orowan::batch::InputFormat::csv);
    orowan::batch::Schedule schedule(1);
    orowan::batch::InputLine line;
    while (source->next(line)) orowan::batch::prepareJob(line, sweep, 0, orowan::batch::Units::report, schedule, job);
    benchmark::DoNotOptimize(job.request.input.R);
  }
  state.SetItemsProcessed(state.iterations() * kLines);
}
BENCHMARK(BM_BatchReadLine);

// One solved example pass written to /dev/null by the given writer.
template <bool json>
void BM_BatchWriteResult(benchmark::State& state) {
  static orowan::batch::PassJob job;
  job.readable = true;
  job.request.input = {100, 2, 1.5, 20, 0, 0, 0.1f};
  for (bool& has : job.has) has = true;
  orowan::passes::solveRequest(job.request, job.answer, job.scratch);
  const int fd = ::open("/dev/null", O_WRONLY);
  {
    orowan::batch::OutputFile out(fd, "/dev/null");
    auto writer = json ? orowan::batch::makeJsonWriter(out, {}, true) : orowan::batch::makeCsvResultWriter(out, {});
    writer->begin();
    std::string text;
    for (auto _ : state) {
      text.clear();
      writer->render(job, text);
      writer->write(job, text);
    }
    writer->end();
    out.flush();
  }
  ::close(fd);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_BatchWriteResult<false>)->Name("BM_BatchWriteCsvResult");
BENCHMARK(BM_BatchWriteResult<true>)->Name("BM_BatchWriteJsonWithSteps");

}  // namespace

BENCHMARK_MAIN();
