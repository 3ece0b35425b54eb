// A coil's set-up: the thicknesses after each pass that share the loads
// as the distribution asks (force or power in given ratios, relative
// reductions in given ratios, or the thicknesses themselves), optionally
// the nearest distribution that keeps every stand within its limits, and
// every pass at those thicknesses.
#pragma once

#include <string>
#include <vector>

#include "setup/schedule.h"

namespace orowan::setup {

// The largest relative miss of a load ratio that a set-up accepts.
inline constexpr double kRatioMissAllowed = 0.005;

struct SetUpOptions {
  bool respectLimits = false;
  bool keepSteps = false;  // each pass's marches (for the friction hills)
  // The relative miss of a load ratio at which a thickness search stops.
  double tolerance = 1e-3;
};

struct SetUp {
  std::vector<PassLine> lines;  // one a pass, at the thicknesses found (empty: none)
  std::vector<float> H;         // after each pass
  double ratioMiss = NAN;       // the largest |(L_i/L_1)/(r_i/r_1) - 1|
  long solves = 0;              // passes the analysis solved
  // Why the asked distribution has no thicknesses, or why no distribution
  // within the limits exists ("" when the lines are the answer asked for).
  std::string problem;
  bool limitsRespected = false;  // --respect-limits moved the distribution
  bool valid() const { return problem.empty(); }
};

// Sets the coil up in the mill. Never throws for a coil the analysis
// cannot roll: the problem says why, in plain words.
SetUp setUpCoil(const Mill& mill, const Coil& coil, const SetUpOptions& options = {});

// The largest relative miss of the lines' load ratios against `ratios`
// (NaN when a pass has no load).
double ratioMiss(const std::vector<PassLine>& lines, const Distribution& d);

}  // namespace orowan::setup
