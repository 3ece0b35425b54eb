// The batch tool's side of a fit: columns in, the outcome worded.
#include "batch/fit.h"

#include <cstdio>
#include <memory>

#include "batch/solve.h"
#include "batch/writers.h"
#include "console/value_text.h"

namespace orowan::batch {
namespace {

using passes::FitOutcome;
using passes::FitStatus;
using passes::FitTarget;
using passes::singleText;

bool fitsFriction(const FitRequest& request) {
  return request.target == FitTarget::friction || request.target == FitTarget::frictionAndFactor;
}

// A line that cannot be fitted as given: an error line, like one that
// cannot be read.
void refuseFit(PassJob& job, std::string problem) {
  job.readable = false;
  job.reportProblem = true;
  job.problem = std::move(problem);
}

// The measured columns the fit needs, checked: "" or the problem.
std::string measuredProblem(const PassJob& job, const FitRequest& request) {
  const bool slip = request.target == FitTarget::frictionAndFactor;
  if (!job.has[kFORCE_MEASURED]) return "column FORCE_MEASURED: missing or empty; --fit needs the measured rolling force";
  if (!(job.typed[kFORCE_MEASURED] > 0))
    return "column FORCE_MEASURED: must be above 0, found " + singleText(job.typed[kFORCE_MEASURED]);
  if (slip && !job.has[kFORWARD_SLIP_MEASURED])
    return "column FORWARD_SLIP_MEASURED: missing or empty; --fit U,Y needs the measured forward slip";
  if (slip && !(job.typed[kFORWARD_SLIP_MEASURED] > 0))
    return "column FORWARD_SLIP_MEASURED: must be above 0, found " + singleText(job.typed[kFORWARD_SLIP_MEASURED]);
  return "";
}

// The name of the input the fit searches: U, Y_FACTOR or H2.
const char* searchedInput(const FitRequest& request) {
  if (request.target == FitTarget::flowFactor) return "Y_FACTOR";
  return request.target == FitTarget::exitThickness ? "H2" : "U";
}

// The searched input's name and its value in words.
std::string inputAt(const FitRequest& request, double x) {
  return std::string(searchedInput(request)) + " = " + singleText(x);
}

// Why no pass meets the target, with the range the searched input reaches.
std::string outOfReach(const PassJob& job, const FitRequest& request, const FitOutcome& o) {
  const bool slip = o.slipOutOfRange;
  const bool below = o.status == FitStatus::belowRange;
  const char* column = slip ? "FORWARD_SLIP_MEASURED" : "FORCE_MEASURED";
  const char* unit = slip ? "" : (job.units == Units::si ? " kN/m" : " t/m");
  const auto shown = [&](double v) {
    return singleText(slip ? v : toOutput(float(v), UnitKind::load, job.units)) + unit;
  };
  const char* input = searchedInput(request);
  std::string what = slip ? "forward slip" : "rolling force";
  if (slip) what += " (with Y_FACTOR refitted for the force)";
  const float measured = job.typed[slip ? kFORWARD_SLIP_MEASURED : kFORCE_MEASURED];
  return std::string("column ") + column + ": " + singleText(measured) + unit +
         " is " + (below ? "below the lowest" : "above the highest") + " " + what + " any " + input +
         " of the pass gives: reachable " + shown(o.rangeLow) + " (" + inputAt(request, o.lowInput) + ") to " +
         shown(o.rangeHigh) + " (" + inputAt(request, o.highInput) + ")";
}

void putCsvNumber(std::string& t, double v, bool present) {
  t.push_back(',');
  if (!present) return;
  char buffer[32];
  t.append(shortestText(float(v), buffer));
}

struct FitCell {
  const char* name;
  double value;
  bool present;
};

// The fit's cells, in column order.
template <class Put>
void forEachFitCell(const PassJob& job, Put put) {
  const FitOutcome& o = job.fit;
  const bool found = job.readable && (o.status == FitStatus::met || o.status == FitStatus::jump);
  const bool slip = std::isfinite(o.slipMiss);
  put(FitCell{"FORCE_MEASURED", job.typed[kFORCE_MEASURED], job.has[kFORCE_MEASURED]});
  put(FitCell{"FORWARD_SLIP_MEASURED", job.typed[kFORWARD_SLIP_MEASURED], job.has[kFORWARD_SLIP_MEASURED]});
  put(FitCell{"U_FIT", o.U, found});
  put(FitCell{"Y_FACTOR", o.factor, found});
  put(FitCell{"H2_FIT", o.H2, found});
  put(FitCell{"FIT_RESIDUAL", o.forceMiss, found});
  put(FitCell{"FIT_SLIP_RESIDUAL", o.slipMiss, found && slip});
  put(FitCell{"FIT_SOLVES", double(o.solves), o.solves > 0});
}

// met, or jump: the fitted pass is the side of a jump nearer the target.
const char* fitEnd(const PassJob& job) {
  if (!job.readable) return nullptr;
  if (job.fit.status == FitStatus::met) return "met";
  if (job.fit.status == FitStatus::jump) return "jump";
  return nullptr;
}

}  // namespace

std::optional<FitRequest> parseFitRequest(const std::string& text) {
  FitRequest request{true};
  if (text == "U") request.target = FitTarget::friction;
  else if (text == "Y") request.target = FitTarget::flowFactor;
  else if (text == "U,Y" || text == "Y,U") request.target = FitTarget::frictionAndFactor;
  else if (text == "H2") request.target = FitTarget::exitThickness;
  else return std::nullopt;
  return request;
}

bool fitStartColumn(const FitRequest& request, int column) {
  if (!request.on) return false;
  if (column == kU) return fitsFriction(request);
  return column == kH2 && request.target == FitTarget::exitThickness;
}

// The start of an exit-thickness search when the line gives none: 0.8 of
// the entry thickness (the fit's own default), so that the line reads as a
// pass that reduces the strip; the entry text itself when it is no number.
// The entry is read as every value text is (the console's REAL).
static std::string exitThicknessStart(const std::string& entry) {
  float H1 = 0;
  if (entry.empty() || console::readRealText(entry.data(), static_cast<int>(entry.size()), H1) != 0 || !(H1 > 0))
    return entry;
  char text[32];
  std::snprintf(text, sizeof text, "%.9g", 0.8 * double(H1));
  return text;
}

void fillFitStart(const FitRequest& request, InputLine& line) {
  if (!request.on) return;
  const int column = fitsFriction(request) ? kU : request.target == FitTarget::exitThickness ? kH2 : -1;
  if (column < 0 || line.frictionTable.present) return;
  FieldText& field = line.fields[column];
  if (field.present && !field.text.empty()) return;
  field.present = true;
  field.text = column == kU ? "0.1" : exitThicknessStart(line.fields[kH1].text);
}

void fitJob(PassJob& job, const FitRequest& request, Solver solver) {
  job.fit = FitOutcome{};
  solveJob(job, solver);
  if (!job.readable) return;
  if (std::string problem = measuredProblem(job, request); !problem.empty()) return refuseFit(job, std::move(problem));
  passes::FitGoal goal;
  goal.target = request.target;
  goal.force = toAnalysis(job.typed[kFORCE_MEASURED], UnitKind::load, job.units);
  if (job.has[kFORWARD_SLIP_MEASURED]) goal.forwardSlip = job.typed[kFORWARD_SLIP_MEASURED];
  job.fit = passes::fitPass(job.request, goal, job.answer, job.scratch);
  const FitOutcome& o = job.fit;
  if (o.status == FitStatus::refused) {
    const char* column = request.target == FitTarget::exitThickness ? "H2" : fitsFriction(request) ? "U" : "Y";
    return refuseFit(job, std::string("column ") + column + ": " + o.why);
  }
  if (o.status == FitStatus::met || o.status == FitStatus::jump) return;
  // No pass to report: the line is read, the target is out of reach.
  job.readable = false;
  job.reportProblem = false;
  job.problem = o.status == FitStatus::failed
                    ? "no pass with a neutral point meets the target between the inputs tried (the search "
                      "stopped on a pass without one)"
                    : outOfReach(job, request, o);
}

const char* fitStatusWord(const PassJob& job) {
  if (job.readable || job.reportProblem) return nullptr;
  if (job.fit.status == FitStatus::belowRange || job.fit.status == FitStatus::aboveRange) return "out of reach";
  if (job.fit.status == FitStatus::failed && job.fit.solves > 0) return "no fit";
  return nullptr;
}

void putFitHeader(std::string& header) {
  const auto none = std::make_unique<PassJob>();
  forEachFitCell(*none, [&](const FitCell& c) { header.append(",").append(c.name); });
  header.append(",FIT_END");
}

bool isFitColumnName(std::string_view name) {
  bool found = name == "FIT_END";
  const auto none = std::make_unique<PassJob>();
  forEachFitCell(*none, [&](const FitCell& c) { found = found || name == c.name; });
  return found;
}

void putFitCsv(std::string& t, const PassJob& job) {
  forEachFitCell(job, [&](const FitCell& c) { putCsvNumber(t, c.value, c.present); });
  t.push_back(',');
  if (const char* end = fitEnd(job)) t.append(end);
}

void putFitJson(std::string& t, const PassJob& job) {
  forEachFitCell(job, [&](const FitCell& c) {
    t.append(",\"").append(c.name).append("\":");
    char buffer[32];
    if (c.present && std::isfinite(c.value)) t.append(shortestText(float(c.value), buffer));
    else t.append("null");
  });
  t.append(",\"FIT_END\":");
  if (const char* end = fitEnd(job)) t.append("\"").append(end).append("\"");
  else t.append("null");
}

}  // namespace orowan::batch
