// One pass of a run, from its input line to its result: what the input
// stage read, the request it made of the line, and the answer. Jobs are
// pooled and reused, since the scratch alone holds every step of both
// marches (about 60 KB).
#pragma once

#include <string>
#include <vector>

#include "analysis/pass.h"
#include "batch/columns.h"
#include "passes/fit.h"
#include "passes/request.h"

namespace orowan::batch {

using passes::Solver;

// The step tables of the HTML page (--html-steps): none, the console's
// rows (steps 1, 11, 21, ...: a tenth of the page), or every step.
enum class HtmlSteps { none, rows, all };

struct PassJob {
  long line = 0;        // the input line (CSV) or the line its object starts on (JSON)
  long sourceLine = 0;   // the line messages name (JSON: where the element or its fault is)
  std::string position;  // a JSON element's "element 3 at byte 57" where elements share a line
  long lineIndex = 0;   // the line's place in the input (0-based): one message a line
  long caseNumber = 0;  // 1-based case of a sweep; 0 without --vary
  Units units = Units::report;

  float typed[kInputCount] = {};  // the values as typed (after defaults and H1 taken over)
  bool has[kInputCount] = {};     // which of them the line gave

  bool readable = false;    // every value read: the pass was solved
  std::string problem;      // why not, as "column U: expected a number, found ..."
  bool reportProblem = false;  // an unreadable case: its line tells standard error (once)
  bool solved = false;         // already solved by the input stage (a hot pass: see pipeline)

  PropertyPoints frictionTable;  // a JSON friction table; request.frictionTable points here
  passes::Request request;       // the line in the analysis's units
  passes::Answer answer;         // what the solve made of it
  passes::FitOutcome fit;        // with --fit: what the fit found (answer is the fitted pass)
  PassResult scratch;            // the console's pass (answer.pass points here)

  std::vector<KeptText> kept;  // the --keep columns' values, as the line gave them
  std::string warning;         // a note for the run this line brought up first (once a line), or ""

  std::vector<std::string> texts;  // each writer's rendering (buffers reused)
};

// Whether the job's answer is its pass, to be reported: a readable line
// whose flattened radius (if it asked for one) was found.
inline bool passReported(const PassJob& job) { return job.readable && passes::isPass(job.answer); }

// A readable line whose search for a flattened radius found none.
inline bool noFlattenedRadius(const PassJob& job) {
  return job.readable && job.answer.status == passes::Status::noFlattenedRadius;
}

}  // namespace orowan::batch
