// A plant log as the calibration takes it: each line's pass as the batch
// tool would solve it (the same columns, units and messages), its measured
// force and forward slip, and the values of the columns the laws use. A
// line that cannot be used is refused with its line and column; the rest
// are fitted.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "batch/units.h"
#include "passes/request.h"

namespace orowan::calibrate {

struct LogLine {
  long line = 0;                 // in the file (CSV: the record's line; JSON: where its object starts)
  passes::Request request;       // analysis units; friction and factor are set by the fit
  double force = 0;              // measured rolling force, t/m (= kgf/mm)
  double slip = NAN;             // measured forward slip, NaN when not measured
  std::vector<double> numbers;   // the numeric columns of Log::numberNames, NaN when empty
  std::vector<std::string> words;  // the group columns of Log::wordNames
};

struct Refusal {
  long line = 0;
  std::string why;  // "column FORCE_MEASURED: missing or empty"
};

struct Log {
  std::string name;  // the file, for messages
  std::vector<LogLine> lines;
  std::vector<Refusal> refused;
  std::vector<std::string> numberNames;  // numeric columns kept per line (the inputs, then the laws')
  std::vector<std::string> wordNames;    // text columns kept per line (by:COL)
};

struct LogColumns {
  std::vector<std::string> numbers;  // columns that must be numbers on every line (linear:COL)
  std::vector<std::string> words;    // columns that must have a value on every line (by:COL)
};

// A whole log's text (CSV with a header line, or a JSON array of objects,
// detected as the batch tool does) read into lines. Throws
// std::runtime_error for a log that cannot be read at all (no header, a
// column the laws need that the log lacks, broken JSON), naming the file.
Log readLog(const std::string& name, const std::string& bytes, const LogColumns& columns, batch::Units units);

// The index of a kept numeric column by name, or -1.
int numberIndex(const Log& log, const std::string& name);

}  // namespace orowan::calibrate
