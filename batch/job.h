// One pass of a run, from its input line to its result: what the input
// stage read, what the analysis made of it. Jobs are pooled and reused,
// since the result alone holds every step of both marches (about 60 KB).
#pragma once

#include <string>
#include <vector>

#include "analysis/flow_curve.h"
#include "analysis/mill.h"
#include "accuracy/solution.h"
#include "analysis/pass.h"
#include "batch/columns.h"

namespace batch {

// The analysis a run uses: the console's (single precision, 400 or 401
// steps a side) or the converged solver of the same equations (batch/exact.h).
enum class Solver { console, converged };

// The values worked out around the pass, in the analysis's units, as the
// later result columns give them.
struct JobValues {
  float EPS_IN = 0, EPS_OUT = 0;              // equivalent strain brought in and taken out
  float Y_ENTRY = 0, Y_EXIT = 0, Y_MEAN = 0;  // flow stress at the planes and its mean over the arc
  float R_FLAT = 0, R_FLAT_ITERATIONS = 0, R_FLAT_RESIDUAL = 0;
  float FORWARD_SLIP = 0, BACKWARD_SLIP = 0;
  float V_EXIT = 0, V_ENTRY = 0, POWER = 0;   // m/min, m/min, kW/m
};

struct PassJob {
  long line = 0;        // the input line (CSV) or the line its object starts on (JSON)
  long lineIndex = 0;   // the line's place in the input (0-based): one message a line
  long caseNumber = 0;  // 1-based case of a sweep; 0 without --vary
  Units units = Units::report;

  float typed[kInputCount] = {};  // the values as typed (after defaults and H1 taken over)
  bool has[kInputCount] = {};     // which of them the line gave

  bool readable = false;    // every value read: the pass was solved
  std::string problem;      // why not, as "column U: expected a number, found ..."
  bool reportProblem = false;  // an unreadable case: its line tells standard error (once)

  // What the request made of the line beside the pass input.
  orowan::FlowCurve curve;  // when has[kCURVE]; in kgf/mm^2
  bool strainKnown = false;  // values.EPS_IN is the strain brought in
  orowan::PropertyPoints frictionTable;  // a JSON friction table, when input.frictionTable
  orowan::PropertyPoints yieldTable;     // the curve's, built at the radius solved

  orowan::PassInput input;
  orowan::PassResult result;

  orowan::Flattening flattening;  // when has[kE]
  bool noFlattenedRadius = false;  // the search found none: the result is not this line's pass
  std::string note;                // then why, for the message column
  JobValues values;

  // --solver converged: the answer of the converged solver, which the
  // writers give instead of `result` (never filled in this mode).
  bool exactMode = false;
  orowan::accuracy::Solution exact;

  std::vector<std::string> texts;  // each writer's rendering (buffers reused)
};

// Whether the job's result is its pass, to be reported: a readable line
// whose flattened radius (if it asked for one) was found.
inline bool passReported(const PassJob& job) { return job.readable && !job.noFlattenedRadius; }

}  // namespace batch
