// The slab equation's two slopes and the four-stage scheme that advances
// the horizontal force by one angle step. The march uses them through
// stepSlip and stepStick (analysis.h); the tests use them directly.
// Inline, so that the four stages of a step keep their values in registers.
#pragma once

#include "analysis/angle_terms.h"
#include "analysis/real.h"

namespace orowan {

// dF/dPHI where the strip slips: friction shear stress U times the
// pressure. The denominator is 1 at PHI <= 0, where 1/PHI must not be
// formed. U is signed: the entry side passes it negated.
inline void slopeSlip(const Real& F, Real& slope, const Real& PHI, const Real& H, const Real& U,
                      const Real& RK, const Real& W, const Real& ROLL_DIAMETER) {
  const Real S = sineOf(PHI) + U * cosineOf(PHI);
  const Real T = ROLL_DIAMETER * F * S / H;
  slope = ROLL_DIAMETER * W * RK * S + T;
  Real D = 1.0;
  if (PHI > 0.0) D = 1.0 + U * tangentTerm(PHI);
  slope = slope / D;
}

// dF/dPHI where the strip sticks. U belongs to the step's argument list but
// is not read: friction enters only through STICK_TERM, which carries its
// side's signs.
inline void slopeStick(const Real& F, Real& slope, const Real& PHI, const Real& H,
                       const Real& /*U*/, const Real& RK, const Real& STICK_TERM,
                       const Real& ROLL_DIAMETER) {
  const Real s = sineOf(PHI);
  const Real T = ROLL_DIAMETER * F * s / H;
  slope = ROLL_DIAMETER * STICK_TERM * RK + T;
}

// F_NEXT = F at PHI + DPHI, by `slope(stageForce, slopeOut, stageAngle)`.
// Stages at nodes 0, 1/2, 1/2, 1 with forces y, y + k1/2, y - k1/2 + k2,
// y + k2/2 + k3/2; weights 1, 3, 1, 1 sixths. Stage angles and forces are
// rounded before each slope call and k1 to k3 are stored; k4 and the
// weighted sum stay double until F_NEXT.
template <typename Slope>
inline void fourStageStep(Slope slope, const Real& F, Real& F_NEXT, const Real& PHI,
                          const Real& DPHI) {
  const double h = DPHI;
  const double y = F;
  Real f;  // each slope is stored by the slope function itself
  slope(F, f, PHI);
  const Real k1 = h * f;
  const Real midAngle = PHI + h / 2.0;
  Real stageForce = y + k1 / 2.0;
  slope(stageForce, f, midAngle);
  const Real k2 = h * f;
  stageForce = y - k1 / 2.0 + k2;
  slope(stageForce, f, midAngle);
  const Real k3 = h * f;
  stageForce = y + k2 / 2.0 + k3 / 2.0;
  const Real endAngle = PHI + h;
  slope(stageForce, f, endAngle);
  const double k4 = h * f;
  F_NEXT = y + (0.5 * k1 + 1.5 * k2 + 0.5 * k3 + 0.5 * k4) / 3.0;
}

}  // namespace orowan
