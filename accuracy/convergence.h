// How the converged solver and the console's scheme approach the converged
// answer as the steps a side double: errors against steps (for a chart) and
// the observed order of convergence.
#pragma once

#include <vector>

#include "accuracy/solution.h"

namespace orowan::accuracy {

// Relative errors at one grid: force and torque relative to the reference
// values, the neutral angle relative to the contact angle; magnitudes.
struct ConvergencePoint {
  int steps = 0;
  double forceError = 0, torqueError = 0, angleError = 0;
};

// Observed orders between successive points k and k + 1:
// log(e_k / e_k+1) / log(N_k+1 / N_k), i.e. log2 of the error ratio when the
// steps double.
struct ObservedOrders {
  std::vector<double> force, torque, angle;
};

struct ConvergenceSeries {
  std::vector<ConvergencePoint> points;
  ObservedOrders orders;
};

struct ConvergenceStudy {
  Solution reference;           // converged solver, 1e-12 between grids
  ConvergenceSeries converged;  // solveFixedSteps at each step count
  ConvergenceSeries console;    // solveConsoleScheme on exact angles
};

// first, 2 first, 4 first, ...: `count` step counts.
std::vector<int> doublingSteps(int first, int count);

// Both schemes at each step count against one reference. The console's
// scheme runs on exact angles (N steps a side), so its errors are those of
// its scheme and not of single-precision angle sums.
ConvergenceStudy measureConvergence(const PassConditions& pass, const std::vector<int>& steps);

}  // namespace orowan::accuracy
