// A job's request to its answer, and the answer's refusals and notes in
// the words of the line's columns.
#include "batch/solve.h"

#include <charconv>
#include <cstdio>

#include "batch/hot_request.h"
#include "passes/shortest_chars.h"
#include "passes/solve.h"

namespace orowan::batch {
namespace {

using passes::Refusal;
using passes::singleText;


void refuse(PassJob& job, std::string problem) {
  job.readable = false;
  job.problem = std::move(problem);
  job.reportProblem = true;
}

// Why the table cannot follow the curve, naming the columns to change.
std::string curveRefusal(const PassJob& job, Refusal why) {
  const bool swift = job.request.curve.kind == passes::FlowCurve::Kind::swift;
  if (why == Refusal::curveZeroStress) {
    return swift ? "column EPS0: the curve has zero stress at zero strain; give EPS0 > 0 or EPS > 0"
                 : "column S0: the curve has zero stress at zero strain; give S0 > 0 or EPS > 0";
  }
  const char* columns = swift ? "columns K, N, EPS0" : "columns S0, K, N";
  if (why == Refusal::curveBeyondSingle)
    return std::string(columns) + ": the curve's stress is beyond the single-precision range";
  char worst[32];
  std::snprintf(worst, sizeof worst, "%.2g", job.answer.curveFitError * 100);
  return std::string(columns) + ": a table of 50 points cannot follow the curve within 0.1 % (" + worst +
         " % at worst)";
}

// A refusal of the solve as the line's problem.
std::string refusalText(const PassJob& job) {
  const passes::Answer& a = job.answer;
  switch (a.refusal) {
    case Refusal::frictionTableShort:
      return "column U: the table ends at X = " + singleText(a.tableEnd) + ", inside the arc of contact (XL = " +
             singleText(a.tableXL) + "); a table of 50 points must reach past the entry plane";
    case Refusal::curveWithoutStrain:
      return "column EPS: empty, and the line before left no strain to carry on (give EPS)";
    case Refusal::hotRefused:
    case Refusal::hotWithoutSpeed:
    case Refusal::hotWithoutStrain:
    case Refusal::hotNotFollowed: return hotRefusalText(job);
    default: break;
  }
  return curveRefusal(job, a.refusal);
}

// The first input the converged solver does not take, or -1.
int unsupportedByConverged(const PassJob& job) {
  for (int c : {kCURVE, kK, kN, kEPS0, kS0, kEPS, kE, kNU, kV})
    if (job.has[c]) return c;
  return job.request.frictionTable != nullptr ? kU : -1;
}

}  // namespace

void solveJob(PassJob& job, Solver solver) {
  if (!job.readable) return;
  job.request.solver = solver;
  if (solver == Solver::converged) {
    if (job.has[kFLOW])
      return refuse(job, "column FLOW: not with --solver converged, which takes a constant yield stress");
    if (const int c = unsupportedByConverged(job); c >= 0) {
      return refuse(job, std::string("column ") + inputColumns()[c].name +
                             ": not with --solver converged, which takes a constant yield stress and "
                             "friction (no flow curve, friction table, roll flattening or roll speed)");
    }
  }
  passes::solveRequest(job.request, job.answer, job.scratch);
  if (job.answer.status == passes::Status::refused) refuse(job, refusalText(job));
}

std::string flatteningNote(const PassJob& job) {
  using passes::FlatteningStatus;
  const passes::Flattening& f = job.answer.flattening;
  switch (f.status) {
    case FlatteningStatus::belowMinimumGauge:
      return "below minimum gauge: no radius up to 1000 R satisfies Hitchcock's equation";
    case FlatteningStatus::notSettled:
      return "not settled after " + std::to_string(passes::kFlatteningLimit) + " passes";
    case FlatteningStatus::noNeutralPoint:
      return "the pass has no neutral point at R' = " + singleText(f.R_FLAT) + " mm, a radius of the search";
    default:
      break;
  }
  return "the pass faults at R' = " + singleText(f.R_FLAT) + " mm, a radius of the search: M" +
         std::to_string(job.answer.fault.number) + " " + job.answer.fault.message;
}

std::string_view shortestDoubleText(double value, char (&buffer)[32]) {
  const auto end = passes::toShortestChars(buffer, buffer + sizeof buffer, value).ptr;
  return std::string_view(buffer, static_cast<std::size_t>(end - buffer));
}

}  // namespace orowan::batch
