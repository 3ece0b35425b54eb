// One integration step of the slab equation, dF/dPHI, in the slipping and
// in the sticking state, by the system's own four-stage scheme.
#include "analysis/analysis.h"
#include "analysis/angle_terms.h"

namespace orowan {

namespace {

// dF/dPHI where the strip slips: friction shear stress U times the pressure.
// The denominator is 1 at PHI <= 0, where 1/PHI must not be formed.
// Inline, so that the four stages of a step keep their values in registers.
inline void slipSlope(const Real& F, Real& slope, const Real& PHI, const Real& H, const Real& U,
                      const Real& RK, const Real& W, const Real& ROLL_DIAMETER) {
  const Real S = sineOf(PHI) + U * cosineOf(PHI);
  const Real T = ROLL_DIAMETER * F * S / H;
  slope = ROLL_DIAMETER * W * RK * S + T;
  Real D = 1.0;
  if (PHI > 0.0) D = 1.0 + U * tangentTerm(PHI);
  slope = slope / D;
}

// dF/dPHI where the strip sticks; friction enters only through STICK_TERM.
inline void stickSlope(const Real& F, Real& slope, const Real& PHI, const Real& H,
                       const Real& /*U*/, const Real& RK, const Real& STICK_TERM,
                       const Real& ROLL_DIAMETER) {
  const Real s = sineOf(PHI);
  const Real T = ROLL_DIAMETER * F * s / H;
  slope = ROLL_DIAMETER * STICK_TERM * RK + T;
}

}  // namespace

void slopeSlip(const Real& F, Real& slope, const Real& PHI, const Real& H, const Real& U,
               const Real& RK, const Real& W, const Real& ROLL_DIAMETER) {
  slipSlope(F, slope, PHI, H, U, RK, W, ROLL_DIAMETER);
}

void slopeStick(const Real& F, Real& slope, const Real& PHI, const Real& H, const Real& U,
                const Real& RK, const Real& STICK_TERM, const Real& ROLL_DIAMETER) {
  stickSlope(F, slope, PHI, H, U, RK, STICK_TERM, ROLL_DIAMETER);
}

namespace {

// F_NEXT = F at PHI + DPHI. Stages at nodes 0, 1/2, 1/2, 1 with forces y,
// y + k1/2, y - k1/2 + k2, y + k2/2 + k3/2; weights 1, 3, 1, 1 sixths.
// Stage angles and forces are rounded before each slope call and k1 to k3
// are stored; k4 and the weighted sum stay double until F_NEXT.
// A template over the slope, so that stepSlip and stepStick get their slope
// laid out inline and its values stay in registers between the stages.
template <typename Slope>
void fourStages(Slope slope, const Real& F, Real& F_NEXT, const Real& PHI, const Real& DPHI,
                const Real& H, const Real& U, const Real& RK, const Real& factor,
                const Real& ROLL_DIAMETER) {
  const double h = DPHI;
  const double y = F;
  Real f;  // each slope is stored by the slope function itself
  slope(F, f, PHI, H, U, RK, factor, ROLL_DIAMETER);
  const Real k1 = h * f;
  const Real midAngle = PHI + h / 2.0;
  Real stageForce = y + k1 / 2.0;
  slope(stageForce, f, midAngle, H, U, RK, factor, ROLL_DIAMETER);
  const Real k2 = h * f;
  stageForce = y - k1 / 2.0 + k2;
  slope(stageForce, f, midAngle, H, U, RK, factor, ROLL_DIAMETER);
  const Real k3 = h * f;
  stageForce = y + k2 / 2.0 + k3 / 2.0;
  const Real endAngle = PHI + h;
  slope(stageForce, f, endAngle, H, U, RK, factor, ROLL_DIAMETER);
  const double k4 = h * f;
  F_NEXT = y + (0.5 * k1 + 1.5 * k2 + 0.5 * k3 + 0.5 * k4) / 3.0;
}

}  // namespace

void fourStageStep(SlopeFunction slope, const Real& F, Real& F_NEXT, const Real& PHI,
                   const Real& DPHI, const Real& H, const Real& U, const Real& RK,
                   const Real& factor, const Real& ROLL_DIAMETER) {
  fourStages(slope, F, F_NEXT, PHI, DPHI, H, U, RK, factor, ROLL_DIAMETER);
}

// One step in the slipping state.
void stepSlip(const Real& F, Real& F_NEXT, const Real& PHI, const Real& DPHI, const Real& H,
              const Real& U, const Real& RK, const Real& W, const Real& ROLL_DIAMETER) {
  fourStages([](auto&... a) { slipSlope(a...); }, F, F_NEXT, PHI, DPHI, H, U, RK, W,
             ROLL_DIAMETER);
}

// One step in the sticking state.
void stepStick(const Real& F, Real& F_NEXT, const Real& PHI, const Real& DPHI, const Real& H,
               const Real& U, const Real& RK, const Real& STICK_TERM,
               const Real& ROLL_DIAMETER) {
  fourStages([](auto&... a) { stickSlope(a...); }, F, F_NEXT, PHI, DPHI, H, U, RK,
             STICK_TERM, ROLL_DIAMETER);
}

}  // namespace orowan
