// One integration step of the slab equation, in the slipping and in the
// sticking state. H, U, RK, the factor and the roll diameter stay at their
// values at PHI through all four stages.
#include "analysis/analysis.h"
#include "analysis/integrator_scheme.h"

namespace orowan {

void stepSlip(const Real& F, Real& F_NEXT, const Real& PHI, const Real& DPHI, const Real& H,
              const Real& U, const Real& RK, const Real& W, const Real& ROLL_DIAMETER) {
  const auto slope = [&](const Real& stageForce, Real& out, const Real& stageAngle) {
    slopeSlip(stageForce, out, stageAngle, H, U, RK, W, ROLL_DIAMETER);
  };
  fourStageStep(slope, F, F_NEXT, PHI, DPHI);
}

void stepStick(const Real& F, Real& F_NEXT, const Real& PHI, const Real& DPHI, const Real& H,
               const Real& U, const Real& RK, const Real& STICK_TERM,
               const Real& ROLL_DIAMETER) {
  const auto slope = [&](const Real& stageForce, Real& out, const Real& stageAngle) {
    slopeStick(stageForce, out, stageAngle, H, U, RK, STICK_TERM, ROLL_DIAMETER);
  };
  fourStageStep(slope, F, F_NEXT, PHI, DPHI);
}

}  // namespace orowan
