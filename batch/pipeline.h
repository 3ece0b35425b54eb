// The run: input lines through the analysis to the writers, in input
// order, on `jobs` threads, with a bounded number of passes in flight.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "batch/fit.h"
#include "batch/input.h"
#include "batch/progress.h"
#include "batch/sweep.h"
#include "batch/writers.h"

namespace orowan::batch {

struct RunSettings {
  std::string inputName;  // for messages: "passes.csv", or "stdin"
  Units units = Units::report;
  unsigned jobs = 1;
  std::FILE* messages = stderr;  // one line per line that cannot be read
  Solver solver = Solver::console;
  FitRequest fit;  // --fit: each pass fitted to its measured columns
};

// Solves every pass of `source` (each sweep case of each line) and hands
// them to the writers in input order. Returns the number of input lines
// that could not be read. Exceptions of a writer end the run.
long runPasses(PassSource& source, const Sweep& sweep, const RunSettings& settings,
               const std::vector<ResultWriter*>& writers, Progress& progress);

// The passes of `source` (lines times sweep cases), for the progress total.
long countPasses(PassSource& source, const Sweep& sweep);

}  // namespace orowan::batch
