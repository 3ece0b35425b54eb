// What the web page asks of the calculator: passes as the batch tool runs
// them (its readers, requests, solver and writers, one pass after the
// other) and the console's report of a pass.
#pragma once

#include <string>

namespace orowan::web {

// A run as `orowan-batch [--json] [--steps] [--units si] [--solver S]
// [--vary V] passes.json` makes it, of the JSON array (or single object)
// `input`.
struct RunRequest {
  std::string input;
  bool json = true;        // --json; else the CSV result table
  bool steps = false;      // --steps (JSON only): every step of both marches
  bool si = false;         // --units si
  bool converged = false;  // --solver converged (else no --solver)
  std::string vary;        // one --vary argument, or ""
};

// What the tool would have written: the results file, the lines of
// standard error, and its exit status (0, or 1 when a line or the header
// could not be read, or the run stopped before the passes).
struct RunResult {
  std::string output;
  std::string messages;
  int status = 0;
};

RunResult runPasses(const RunRequest& request);

// The console program's output, as Shift-JIS bytes, for the typed answers
// `dialogue` (one answer a line, as typed at its prompts), and its exit
// status.
struct ReportResult {
  std::string bytes;
  int status = 0;
};
ReportResult consoleReport(const std::string& dialogue);

}  // namespace orowan::web
