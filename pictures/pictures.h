// The pictures of the rolling calculator: friction hills, sweep and
// log-log charts as SVG, and a streamed HTML report. The library takes
// plain data (numbers and texts) and knows nothing of the analysis.
#pragma once

#include "pictures/chart.h"
#include "pictures/friction_hill.h"
#include "pictures/report.h"
