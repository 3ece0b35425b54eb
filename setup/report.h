// A set-up's lines as CSV or JSON lines: one line a pass, the coil's
// ratio miss and passes solved repeated on each of its lines. Numbers as
// the shortest text that reads back to the same single value.
#pragma once

#include <string>
#include <vector>

#include "setup/setup.h"

namespace orowan::setup {

struct CoilResult {
  const Coil* coil = nullptr;
  SetUp setUp;
};

// Sets up every coil of `mill` (each coil alone; a coil that could not be
// read keeps its problem and is skipped).
std::vector<CoilResult> setUpMill(const Mill& mill, const SetUpOptions& options);

enum class Format { csv, json };

// The header line (CSV; JSON has none) in the output's units.
std::string headerLine(const Mill& mill, Format format);

// The coil's lines; `units` are the output's.
std::string coilLines(const Mill& mill, const CoilResult& result, Units units, Format format);

// The status word of a line: "ok", or every limit exceeded ("over force
// limit; over torque limit").
std::string statusOf(const PassLine& line);

// The shortest text that reads back to the single value of `value`.
std::string numberText(double value);

}  // namespace orowan::setup
