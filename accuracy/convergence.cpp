// Errors against steps and observed orders of both schemes.
#include "accuracy/convergence.h"

#include <cmath>

#include "accuracy/converged.h"

namespace orowan::accuracy {
namespace {

ConvergencePoint errorOf(const Solution& s, const Solution& reference) {
  return {s.stepsPerSide, std::fabs(s.rollingForce / reference.rollingForce - 1.0),
          std::fabs(s.torque / reference.torque - 1.0),
          std::fabs(s.neutralAngle - reference.neutralAngle) / reference.contactAngle};
}

double order(double coarseError, double fineError, int coarseSteps, int fineSteps) {
  return std::log(coarseError / fineError) / std::log(static_cast<double>(fineSteps) / coarseSteps);
}

// The orders between each point and the next.
ObservedOrders ordersOf(const std::vector<ConvergencePoint>& points) {
  ObservedOrders o;
  for (size_t k = 0; k + 1 < points.size(); ++k) {
    const ConvergencePoint &a = points[k], &b = points[k + 1];
    o.force.push_back(order(a.forceError, b.forceError, a.steps, b.steps));
    o.torque.push_back(order(a.torqueError, b.torqueError, a.steps, b.steps));
    o.angle.push_back(order(a.angleError, b.angleError, a.steps, b.steps));
  }
  return o;
}

}  // namespace

std::vector<int> doublingSteps(int first, int count) {
  std::vector<int> steps;
  for (int k = 0, n = first; k < count; ++k, n *= 2) steps.push_back(n);
  return steps;
}

ConvergenceStudy measureConvergence(const PassConditions& pass, const std::vector<int>& steps) {
  ConvergenceStudy study;
  study.reference = solveConverged(pass, {.startSteps = 3200, .tolerance = 1e-12});
  for (int n : steps) {
    study.converged.points.push_back(errorOf(solveFixedSteps(pass, n), study.reference));
    const Solution console =
        solveConsoleScheme(pass, {.stepsPerSide = n, .singlePrecisionGrid = false});
    study.console.points.push_back(errorOf(console, study.reference));
  }
  study.converged.orders = ordersOf(study.converged.points);
  study.console.orders = ordersOf(study.console.points);
  return study;
}

}  // namespace orowan::accuracy
