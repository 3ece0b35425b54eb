// One pass of a run, from its input line to its result: what the input
// stage read, what the analysis made of it. Jobs are pooled and reused,
// since the result alone holds every step of both marches (about 60 KB).
#pragma once

#include <string>
#include <vector>

#include "analysis/pass.h"
#include "batch/columns.h"

namespace batch {

struct PassJob {
  long line = 0;        // the input line (CSV) or the line its object starts on (JSON)
  long caseNumber = 0;  // 1-based case of a sweep; 0 without --vary
  Units units = Units::report;

  float typed[kInputCount] = {};  // the values as typed (after defaults and H1 taken over)
  bool has[kInputCount] = {};     // which of them the line gave

  bool readable = false;    // every value read: the pass was solved
  std::string problem;      // why not, as "column U: expected a number, found ..."
  bool reportProblem = false;  // the first case of a bad line tells standard error

  orowan::PassInput input;
  orowan::PassResult result;

  std::vector<std::string> texts;  // each writer's rendering (buffers reused)
};

}  // namespace batch
