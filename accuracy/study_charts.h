// The convergence of the console's scheme and of the converged scheme on
// three passes, measured and drawn as log-log charts (error against steps
// per side) with the pictures code.
#pragma once

#include <string>
#include <vector>

#include "accuracy/convergence.h"

namespace orowan::accuracy {

struct ConvergencePass {
  std::string name;  // legend text
  PassConditions pass;
  ConvergenceStudy study;
};

// The example pass (slip), a heavy pass that mostly sticks and a thin strip with
// tensions, each measured at 25, 50, ..., 12,800 steps a side.
std::vector<ConvergencePass> measureChartPasses();

// The median of the observed orders between grids of at least `fromSteps`
// steps a side (the orders before it still carry the higher-order terms).
double medianOrder(const std::vector<ConvergencePoint>& points, const std::vector<double>& orders,
                   int fromSteps);

// Rolling force error of both schemes against steps a side, log-log, with
// the slopes -1 and -4 drawn as guides.
std::string forceConvergenceSvg(const std::vector<ConvergencePass>& passes);

// The neutral angle's error over the contact angle against steps a side,
// with the search's bound of one step (1/N).
std::string neutralConvergenceSvg(const std::vector<ConvergencePass>& passes);

}  // namespace orowan::accuracy
