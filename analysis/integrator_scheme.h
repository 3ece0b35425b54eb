// The slab equation's two slopes and the four-stage scheme that advances
// the horizontal force by one angle step. The march uses them through
// stepSlip and stepStick (analysis.h), or stage by stage when the library
// advances its two marches side by side; the tests use them directly.
// Inline, so that the four stages of a step keep their values in registers.
#pragma once

#include "analysis/angle_terms.h"
#include "analysis/real.h"

// Inline however large the caller: a slope or stage left out of line passes
// the force through memory, which lengthens the chain of each step.
#define OROWAN_INLINE [[gnu::always_inline]] inline

namespace orowan {

// dF/dPHI where the strip slips: friction shear stress U times the
// pressure. The denominator is 1 at PHI <= 0, where 1/PHI must not be
// formed. U is signed: the entry side passes it negated. The angle terms
// come from the march's memory `m` (an AngleMemory or a step's StepAngles).
template <class Memory>
OROWAN_INLINE void slopeSlip(Memory& m, const Real& F, Real& slope, const Real& PHI,
                      const Real& H, const Real& U, const Real& RK, const Real& W,
                      const Real& ROLL_DIAMETER) {
  const Real S = sineOf(m, PHI) + U * cosineOf(m, PHI);
  const Real T = ROLL_DIAMETER * F * S / H;
  slope = ROLL_DIAMETER * W * RK * S + T;
  Real D = 1.0;
  if (PHI > 0.0) D = 1.0 + U * tangentTerm(m, PHI);
  slope = slope / D;
}

// dF/dPHI where the strip sticks. U belongs to the step's argument list but
// is not read: friction enters only through STICK_TERM, which carries its
// side's signs.
template <class Memory>
OROWAN_INLINE void slopeStick(Memory& m, const Real& F, Real& slope, const Real& PHI,
                       const Real& H, const Real& /*U*/, const Real& RK,
                       const Real& STICK_TERM, const Real& ROLL_DIAMETER) {
  const Real s = sineOf(m, PHI);
  const Real T = ROLL_DIAMETER * F * s / H;
  slope = ROLL_DIAMETER * STICK_TERM * RK + T;
}

// The two slopes with the thread's angle memory.
inline void slopeSlip(const Real& F, Real& slope, const Real& PHI, const Real& H, const Real& U,
                      const Real& RK, const Real& W, const Real& ROLL_DIAMETER) {
  slopeSlip(threadAngles, F, slope, PHI, H, U, RK, W, ROLL_DIAMETER);
}
inline void slopeStick(const Real& F, Real& slope, const Real& PHI, const Real& H,
                       const Real& U, const Real& RK, const Real& STICK_TERM,
                       const Real& ROLL_DIAMETER) {
  slopeStick(threadAngles, F, slope, PHI, H, U, RK, STICK_TERM, ROLL_DIAMETER);
}

// One step of the four-stage scheme, F_NEXT = F at PHI + DPHI, taken stage
// by stage (`first` to `last`, in that order) with `slope(stageForce,
// slopeOut, stageAngle)`. Stages at nodes 0, 1/2, 1/2, 1 with forces y,
// y + k1/2, y - k1/2 + k2, y + k2/2 + k3/2; weights 1, 3, 1, 1 sixths.
// Stage angles and forces are rounded before each slope call and k1 to k3
// are stored; k4 and the weighted sum stay double until F_NEXT. Taken in
// stages so that two marches can interleave theirs.
template <typename Slope>
struct FourStageStep {
  Slope slope;
  Real PHI;
  Wide h, y;
  Real f, k1, k2, k3, midAngle, stageForce;

  FourStageStep(Slope s, const Real& F, const Real& phi, const Real& DPHI)
      : slope(s), PHI(phi), h(DPHI), y(F) {}

  // The slope at the stage's angle: 0 for PHI, 1 for the middle angle, 2
  // for the end angle. A slope that has `atAngle<k>` is told which.
  template <int k>
  OROWAN_INLINE void slopeAt(const Real& F, Real& out, const Real& angle) {
    if constexpr (requires { slope.template atAngle<k>(F, out, angle); }) {
      slope.template atAngle<k>(F, out, angle);
    } else {
      slope(F, out, angle);
    }
  }

  OROWAN_INLINE void first() {
    slopeAt<0>(Real(y), f, PHI);
    k1 = h * f;
    midAngle = PHI + h / 2.0;
    stageForce = y + k1 / 2.0;
  }
  OROWAN_INLINE void second() {
    slopeAt<1>(stageForce, f, midAngle);
    k2 = h * f;
    stageForce = y - k1 / 2.0 + k2;
  }
  OROWAN_INLINE void third() {
    slopeAt<1>(stageForce, f, midAngle);
    k3 = h * f;
    stageForce = y + k2 / 2.0 + k3 / 2.0;
  }
  // The last stage; returns F_NEXT.
  OROWAN_INLINE Real last() {
    const Real endAngle = PHI + h;
    slopeAt<2>(stageForce, f, endAngle);
    const Wide k4 = h * f;
    return y + (0.5 * k1 + 1.5 * k2 + 0.5 * k3 + 0.5 * k4) / 3.0;
  }
};

// A step's four stages in a row; returns F_NEXT.
template <typename Slope>
OROWAN_INLINE Real takeStages(FourStageStep<Slope>& step) {
  step.first();
  step.second();
  step.third();
  return step.last();
}

// Two independent steps, each stage of `b` beside the same stage of `a`,
// so that the processor overlaps their two chains; their F_NEXT into
// nextA and nextB. `meanwhile()` comes after the first stages: work that
// waits on neither chain, for the processor to do while they run.
template <typename SlopeA, typename SlopeB, typename Work>
OROWAN_INLINE void takeStagesSideBySide(FourStageStep<SlopeA>& a, FourStageStep<SlopeB>& b,
                                        Real& nextA, Real& nextB, Work meanwhile) {
  a.first();
  b.first();
  meanwhile();
  a.second();
  b.second();
  a.third();
  b.third();
  nextA = a.last();
  nextB = b.last();
}

// The whole step at once.
template <typename Slope>
inline void fourStageStep(Slope slope, const Real& F, Real& F_NEXT, const Real& PHI,
                          const Real& DPHI) {
  FourStageStep<Slope> step(slope, F, PHI, DPHI);
  F_NEXT = takeStages(step);
}

}  // namespace orowan
