// The set-up's HTML page: per coil a schedule chart (thickness after each
// pass; force, torque, power and roll speed per pass as bars against the
// stand's limits, a crossed limit in red with its excess written beside
// it) and each pass's friction hill. Self-contained, as the batch
// tool's report.
#pragma once

#include <string>
#include <vector>

#include "setup/report.h"

namespace orowan::setup {

// The schedule chart of one coil, an inline <svg>.
std::string scheduleChartSvg(const Mill& mill, const CoilResult& result, Units units);

std::string htmlPage(const Mill& mill, const std::vector<CoilResult>& results, Units units);

}  // namespace orowan::setup
