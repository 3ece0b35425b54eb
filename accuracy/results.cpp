// Filling a Solution from the geometry and the load integrals.
#include "accuracy/results.h"

#include <cmath>
#include <initializer_list>

namespace orowan::accuracy {

Solution startSolution(const PassConditions& pass, const Geometry& geometry, int stepsPerSide) {
  Solution s;
  s.status = Status::ok;
  s.stepsPerSide = stepsPerSide;
  s.reductionRatio = checkedDivide(pass.H1 - pass.H2, pass.H1, "reduction ratio: H1 of zero");
  s.contactLength = geometry.contactLength;
  s.contactAngle = geometry.contactAngle;
  return s;
}

void setLoads(Solution& s, double force, double moment) {
  s.rollingForce = force;
  s.torque = 2.0 * moment / 1000.0;
  s.torqueArm = checkedDivide(s.torque * 1000.0, 2.0 * force, "torque arm: rolling force of zero");
  s.meanPressure = checkedDivide(force, s.contactLength, "mean pressure: contact length of zero");
}

void requireFinite(const Solution& s) {
  for (double v : {s.neutralX, s.neutralAngle, s.neutralForce, s.neutralPressure, s.meanPressure,
                   s.rollingForce, s.torque, s.torqueArm}) {
    if (!std::isfinite(v)) raiseFault(FaultKind::overflow, "a result beyond the double range");
  }
}

Solution faultSolution(const SolverFault& fault, int stepsPerSide) {
  Solution s;
  s.status = Status::fault;
  s.fault = fault.fault;
  s.stepsPerSide = stepsPerSide;
  return s;
}

}  // namespace orowan::accuracy
