// Benchmarks of the batch tool's serial stages against the pass itself:
// reading and preparing one CSV line, and writing one result line (CSV,
// and JSON with every step). The serial stages must stay small beside
// the solve, or --jobs 2 could not run near twice as fast.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

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
  batch::Sweep sweep;
  static batch::PassJob job;
  for (auto _ : state) {
    batch::ByteSource bytes(csv);
    auto source = batch::openPassSource(bytes, batch::InputFormat::csv);
    batch::Schedule schedule(1);
    batch::InputLine line;
    while (source->next(line)) batch::prepareJob(line, sweep, 0, batch::Units::report, schedule, job);
    benchmark::DoNotOptimize(job.input.R);
  }
  state.SetItemsProcessed(state.iterations() * kLines);
}
BENCHMARK(BM_BatchReadLine);

// One solved example pass written to /dev/null by the given writer.
template <bool json>
void BM_BatchWriteResult(benchmark::State& state) {
  static batch::PassJob job;
  job.readable = true;
  job.input = {100, 2, 1.5, 20, 0, 0, 0.1f};
  for (bool& has : job.has) has = true;
  orowan::solvePass(job.input, job.result);
  const int fd = ::open("/dev/null", O_WRONLY);
  {
    batch::OutputFile out(fd, "/dev/null");
    auto writer = json ? batch::makeJsonWriter(out, {}, true) : batch::makeCsvResultWriter(out, {});
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
