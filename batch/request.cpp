// Value texts to single-precision values, with the messages a user sees
// for a text that cannot be read.
#include "batch/request.h"

#include "console/limits.h"
#include "console/value_text.h"

namespace batch {
namespace {

// What the console's reader would say, as a message about the column.
std::string unreadable(const char* column, const std::string& text, int fault) {
  const std::string shown = "\"" + text + "\"";
  std::string why = fault == 6104   ? "a number within the single-precision range"
                    : fault == 6408 ? "a number of at most 256 characters"
                                    : "a number";
  return std::string("column ") + column + ": expected " + why + ", found " + shown + " (F" +
         std::to_string(fault) + ")";
}

// One column's typed value; "" or the problem.
std::string readColumn(int c, const InputLine& line, const Sweep& sweep, long caseIndex,
                       const Schedule& schedule, PassJob& job) {
  const InputColumn& column = inputColumns()[c];
  if (const Vary* vary = sweep.varyOf(c)) {
    job.typed[c] = vary->values[sweep.valueIndex(*vary, caseIndex)];
    return "";
  }
  const FieldText& field = line.fields[c];
  if (field.present && !field.text.empty()) {
    const int length = static_cast<int>(field.text.size());
    const int fault = field.tooLong || length > console::kMaxValueText
                          ? 6408
                          : console::readRealText(field.text.data(), length, job.typed[c]);
    return fault == 0 ? "" : unreadable(column.name, field.tooLong ? field.text + "..." : field.text, fault);
  }
  if (c == kH1) {
    if (schedule.first()) return "column H1: empty on the first line (no line before to take the exit thickness from)";
    if (!schedule.known(caseIndex)) return "column H1: empty, and the line before has no exit thickness";
    job.typed[c] = schedule.exitThickness(caseIndex);
    return "";
  }
  if (column.defaultText != nullptr) {
    console::readRealText(column.defaultText, static_cast<int>(std::char_traits<char>::length(column.defaultText)),
                          job.typed[c]);
    return "";
  }
  return std::string("column ") + column.name + (field.present ? ": empty; expected a number" : ": missing");
}

// The typed values in the analysis's units.
void fillPassInput(PassJob& job) {
  job.input = orowan::PassInput{};
  for (int c = 0; c < kInputCount; ++c) {
    const InputColumn& column = inputColumns()[c];
    job.input.*column.field = toAnalysis(job.typed[c], column.unit, job.units);
  }
}

}  // namespace

void prepareJob(const InputLine& line, const Sweep& sweep, long caseIndex, Units units,
                Schedule& schedule, PassJob& job) {
  job.line = line.line;
  job.caseNumber = sweep.empty() ? 0 : caseIndex + 1;
  job.units = units;
  job.problem = line.problem;
  for (int c = 0; c < kInputCount; ++c) {
    job.has[c] = false;
    if (!line.problem.empty()) continue;
    std::string problem = readColumn(c, line, sweep, caseIndex, schedule, job);
    job.has[c] = problem.empty();
    if (job.problem.empty()) job.problem = std::move(problem);
  }
  job.readable = job.problem.empty();
  job.reportProblem = !job.readable && caseIndex == 0;
  schedule.set(caseIndex, job.has[kH2], job.typed[kH2]);
  if (job.readable) fillPassInput(job);
}

}  // namespace batch
