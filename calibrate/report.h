// What a calibration writes: the JSON summary (parameters with standard
// errors, lines used and refused, error statistics before and after), a
// CSV line per log line, and a self-contained HTML page with the parity
// chart, the misses against each input column and their histogram.
#pragma once

#include <string>

#include "calibrate/least_squares.h"

namespace orowan::calibrate {

std::string summaryJson(const Model& model, const Log& log, const Calibration& c);

// line, FORCE_MEASURED, FORCE_COMPUTED, FORCE_ERROR, FORWARD_SLIP_MEASURED,
// FORWARD_SLIP_COMPUTED, FORWARD_SLIP_ERROR, U, Y_FACTOR (t/m; errors
// relative).
std::string residualsCsv(const Log& log, const Calibration& c);

// The pictures as standalone SVG, for the guide and for looking at.
std::string paritySvg(const Log& log, const Calibration& c);
std::string missesAgainstSvg(const Log& log, const Calibration& c, int numberColumn);
std::string histogramSvg(const Calibration& c);

// The page: summary table, parity chart, misses against every input
// column that varies, histogram.
std::string reportHtml(const Model& model, const Log& log, const Calibration& c, const std::string& commandLine);

}  // namespace orowan::calibrate
