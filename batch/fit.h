// --fit in the batch tool: the measured columns as a fit's goal, the
// fitted pass as the job's answer, and the fit's own result columns,
// which follow every other column and exist only with --fit.
#pragma once

#include <optional>
#include <string>

#include "batch/input.h"
#include "batch/job.h"

namespace orowan::batch {

struct FitRequest {
  bool on = false;
  passes::FitTarget target = passes::FitTarget::friction;
};

// "U", "Y", "U,Y" (or "Y,U"), "H2": the fit asked for, or nothing for another text.
std::optional<FitRequest> parseFitRequest(const std::string& text);

// Whether the fit makes input column c optional (its value is only the
// search's start): U for the friction fits, H2 for the exit thickness.
bool fitStartColumn(const FitRequest& request, int column);

// An absent or empty start column given its start text, so that the line
// reads as if typed: U 0.1; H2 the entry thickness (the search then starts
// at 0.8 H1).
void fillFitStart(const FitRequest& request, InputLine& line);

// Solves the readable job as solveJob does, then fits it: the measured
// columns checked (a line without them is an error line naming the
// column), the fitted pass into job.answer. A target no input reaches
// leaves the pass unreported with the reachable range in the message.
void fitJob(PassJob& job, const FitRequest& request, Solver solver);

// The status word of a fit that found no pass, or nullptr.
const char* fitStatusWord(const PassJob& job);

// The fit's columns: their names for the CSV header, a job's cells (CSV
// ",v,v,..." or JSON ",\"NAME\":v,...").
void putFitHeader(std::string& header);
bool isFitColumnName(std::string_view name);
void putFitCsv(std::string& text, const PassJob& job);
void putFitJson(std::string& text, const PassJob& job);

}  // namespace orowan::batch
