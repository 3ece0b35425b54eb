// The pieces of a march step over a march state S: the section at PHI,
// slip or stick, the integrator step and the advance of the angle. S is
// the analysis record itself for the console's marches, one after the
// other (the report reads the section from the record), or a MarchState
// of its own for each of the library's two marches side by side. `pass`
// is the record holding the pass's values (geometry, property tables),
// read only here. Both orders run these same formulas, so a march gives
// the same bits either way.
#pragma once

#include "analysis/analysis.h"
#include "analysis/angle_terms.h"
#include "analysis/integrator_scheme.h"
#include "analysis/math.h"
#include "analysis/property_lookup.h"

#include <bit>
#include <cstdint>
#include <type_traits>

namespace orowan {

// The sine, cosine and tangent term of one stored angle (the tangent term
// only where the steps form it: not at or below 0).
struct AngleTerms {
  bool known = false;
  std::uint32_t bits = 0;  // the angle's
  Wide sine = 0.0, cosine = 0.0, tangent = 0.0;
};

// The terms of `angle`, worked out as sineOf, cosineOf and tangentTerm do.
// The tangent term's test is the pressure factor's, so that an angle that
// is not a number gets the term the factor would get.
inline AngleTerms termsOf(const Real& angle) {
  AngleTerms t{true, std::bit_cast<std::uint32_t>(angle.v), mathSin(angle), mathCos(angle), 0.0};
  if (!(angle <= 0.0)) {
    const Real tangent = t.sine / t.cosine;
    t.tangent = 1.0 / angle - 1.0 / tangent;
  }
  return t;
}

// The angles of one step worked out before it: PHI (the last step's end
// angle, carried over), the middle angle and the end angle, each as the
// four-stage step forms it. A march that keeps its angles so asks nothing
// of the math functions inside the step, and its step has no first calls
// to wait for.
struct StepAngles {
  AngleTerms at[3];     // PHI, PHI + h/2, PHI + h
  AngleTerms ahead[2];  // the next step's middle and end angle, if looked ahead
  AngleTerms other;     // any other angle asked for (none is)

  // The step at PHI: its angles from those looked ahead when they are the
  // step's, else worked out now.
  OROWAN_INLINE void prepare(const Real& PHI, const Real& DPHI) {
    const Wide h = DPHI;
    const Real middle = PHI + h / 2.0, end = PHI + h;
    const bool carried = at[2].known && at[2].bits == std::bit_cast<std::uint32_t>(PHI.v);
    at[0] = carried ? at[2] : termsOf(PHI);
    const bool looked = carried && ahead[0].known &&
                        ahead[0].bits == std::bit_cast<std::uint32_t>(middle.v) &&
                        ahead[1].bits == std::bit_cast<std::uint32_t>(end.v);
    at[1] = looked ? ahead[0] : termsOf(middle);
    at[2] = looked ? ahead[1] : termsOf(end);
  }
  // The next step's middle and end angles, worked out while this step's
  // stages wait on their chain (the next step starts at this one's end).
  OROWAN_INLINE void lookAhead(const Real& PHI, const Real& DPHI) {
    const Wide h = DPHI;
    const Real next = PHI + h;
    ahead[0] = termsOf(Real(next + h / 2.0));
    ahead[1] = termsOf(Real(next + h));
  }
  // After prepare, which makes all three known.
  OROWAN_INLINE const AngleTerms& termsAt(const Real& angle) {
    const std::uint32_t bits = std::bit_cast<std::uint32_t>(angle.v);
    for (const AngleTerms& t : at)
      if (t.bits == bits) return t;
    other = termsOf(angle);
    return other;
  }
};

OROWAN_INLINE Wide sineOf(StepAngles& a, const Real& angle) { return a.termsAt(angle).sine; }
OROWAN_INLINE Wide cosineOf(StepAngles& a, const Real& angle) {
  return a.termsAt(angle).cosine;
}
OROWAN_INLINE Wide tangentTerm(StepAngles& a, const Real& angle) {
  return a.termsAt(angle).tangent;
}

// The angle terms a slope stage asks for: those of the step's angle k,
// which the stage's angle is; any other angle's from the step's search.
template <int k>
struct StageAngle {
  StepAngles& step;
  OROWAN_INLINE const AngleTerms& termsAt(const Real& angle) {
    const AngleTerms& t = step.at[k];
    return t.bits == std::bit_cast<std::uint32_t>(angle.v) ? t : step.termsAt(angle);
  }
};
template <int k>
OROWAN_INLINE Wide sineOf(StageAngle<k>& a, const Real& angle) {
  return a.termsAt(angle).sine;
}
template <int k>
OROWAN_INLINE Wide cosineOf(StageAngle<k>& a, const Real& angle) {
  return a.termsAt(angle).cosine;
}
template <int k>
OROWAN_INLINE Wide tangentTerm(StageAngle<k>& a, const Real& angle) {
  return a.termsAt(angle).tangent;
}

// One march's section and its own angles: the march fields of the record,
// for a march that does not run in the record.
struct MarchState {
  Real PHI, DPHI, X, H, U, RK, A, W, PRESSURE_FACTOR, STICK_TERM, F, F_NEXT, P, SGX, TAU;
  Integer SL_ST = 0;
  Integer ROW_COUNTER = 0;
  StepAngles angles;
};

// The angle memory of a march: the thread's for the record's march.
inline AngleMemory& anglesOf(AnalysisRecord&) { return threadAngles; }
inline StepAngles& anglesOf(MarchState& s) { return s.angles; }

// The start state of the side's march.
template <class S>
void setUpMarch(S& s, const AnalysisRecord& pass, Side side) {
  const bool fromExit = side == Side::exit;
  s.PHI = fromExit ? Real(0.0) : pass.CONTACT_ANGLE;
  s.F = fromExit ? pass.F_EXIT_PLANE : pass.F_ENTRY_PLANE;
  s.F_NEXT = s.F;
  s.DPHI = pass.ANGLE_STEP;
  s.ROW_COUNTER = pass.ROW_INTERVAL;
}

// X, H and the properties at the section PHI; the exit side looks up the
// friction first, the entry side the yield stress.
template <class S>
OROWAN_INLINE void workOutSection(S& s, const AnalysisRecord& pass, Side side) {
  s.X = pass.R * sineOf(anglesOf(s), s.PHI);
  s.H = (1.0 - cosineOf(anglesOf(s), s.PHI)) * pass.R * 2.0 + pass.H2;
  if (side == Side::exit) {
    lookupFriction(pass, s.X, s.U);
    lookupYieldStress(pass, s.X, s.RK);
  } else {
    lookupYieldStress(pass, s.X, s.RK);
    lookupFriction(pass, s.X, s.U);
  }
}

// Stores A, the positive root of c A^2 + A/(2U) = 1 + F/(H RK), and returns
// it unrounded: the slip test uses the value before the store rounds it.
// b is rounded before use, B is not; faults come in the order c, b, B.
template <class S>
OROWAN_INLINE Wide workOutA(S& s, const Real& c) {
  const Real b = -(0.5 / s.U);
  const Wide B = s.F / s.H / s.RK + 1.0;
  const Wide A = (mathSqrt(B * c * 4.0 + b * b) + b) * 0.5 / c;
  s.A = A;
  return A;
}

// The slipping section; both sides use the looked-up (positive) U here.
template <class S>
OROWAN_INLINE void workOutSlip(S& s, const Real& c) {
  s.SL_ST = 1;
  s.W = 1.0 - s.A * s.A * c;
  if (s.PHI <= 0.0) {
    s.PRESSURE_FACTOR = 1.0;
  } else {
    s.PRESSURE_FACTOR = 1.0 + s.U * tangentTerm(anglesOf(s), s.PHI);
  }
  s.P = (s.RK * s.W + s.F / s.H) / s.PRESSURE_FACTOR;
  s.SGX = s.F / s.H;
  s.TAU = s.P * s.U;
}

// The sticking section: the side decides the signs of the correction in
// the pressure factor and of the cosine term of STICK_TERM.
template <class S>
OROWAN_INLINE void workOutStick(S& s, const AnalysisRecord& pass, Side side) {
  const bool fromExit = side == Side::exit;
  s.SL_ST = 2;
  s.W = pass.PI * 0.25;
  if (s.PHI <= 0.0) {
    s.PRESSURE_FACTOR = s.W;
  } else {
    const Wide correction = 0.5 * tangentTerm(anglesOf(s), s.PHI);
    s.PRESSURE_FACTOR = fromExit ? s.W - correction : s.W + correction;
  }
  const Wide lean = sineOf(anglesOf(s), s.PHI) * s.PRESSURE_FACTOR;
  const Wide half = 0.5 * cosineOf(anglesOf(s), s.PHI);
  s.STICK_TERM = fromExit ? lean + half : lean - half;
  s.P = s.F / s.H + s.RK * s.PRESSURE_FACTOR;
  s.SGX = s.F / s.H;
  s.TAU = s.RK * 0.5;
}

// The section of a step up to its integration: X, H, U, RK, A, slip or
// stick with W, P, SGX and TAU.
template <class S>
OROWAN_INLINE void workOutStepSection(S& s, const AnalysisRecord& pass, Side side) {
  workOutSection(s, pass, side);
  const Real c = 1.0 - pass.PI * 0.25;
  if (workOutA(s, c) < 1.0) {
    workOutSlip(s, c);
  } else {
    workOutStick(s, pass, side);
  }
}

// The slope of the current state's step, for FourStageStep. The entry side
// runs toward smaller angles: it hands DPHI and U over negated (exactly: a
// negation never rounds), and the state keeps them as they are.
template <class S>
struct StepSlope {
  S* s;
  const Real* ROLL_DIAMETER;
  Real U;  // signed
  template <class Memory>
  OROWAN_INLINE void slope(Memory& m, const Real& F, Real& out, const Real& angle) const {
    if (s->SL_ST == 1) {
      slopeSlip(m, F, out, angle, s->H, U, s->RK, s->W, *ROLL_DIAMETER);
    } else {
      slopeStick(m, F, out, angle, s->H, U, s->RK, s->STICK_TERM, *ROLL_DIAMETER);
    }
  }
  OROWAN_INLINE void operator()(const Real& F, Real& out, const Real& angle) const {
    slope(anglesOf(*s), F, out, angle);
  }
  // At the step's angle k (FourStageStep says which): a march that keeps its
  // step's angles finds that one's terms without a search.
  template <int k>
  OROWAN_INLINE void atAngle(const Real& F, Real& out, const Real& angle) const {
    if constexpr (std::is_same_v<S, MarchState>) {
      StageAngle<k> m{s->angles};
      slope(m, F, out, angle);
    } else {
      slope(anglesOf(*s), F, out, angle);
    }
  }
};

// The integrator step of the current state, to be taken stage by stage.
template <class S>
OROWAN_INLINE FourStageStep<StepSlope<S>> integratorStep(S& s, const AnalysisRecord& pass, Side side) {
  const bool entry = side == Side::entry;
  const Real DPHI = entry ? -s.DPHI.v : s.DPHI.v;
  const StepSlope<S> slope{&s, &pass.ROLL_DIAMETER, entry ? -s.U.v : s.U.v};
  return FourStageStep<StepSlope<S>>(slope, s.F, s.PHI, DPHI);
}

// The state's section as step i of the side's history in `r`.
template <class S>
OROWAN_INLINE void storeStep(const S& s, AnalysisRecord& r, Side side, int i) {
  const bool exit = side == Side::exit;
  (exit ? r.EXIT_P : r.ENTRY_P)(i) = s.P;
  (exit ? r.EXIT_F : r.ENTRY_F)(i) = s.F;
  (exit ? r.EXIT_X : r.ENTRY_X)(i) = s.X;
  (exit ? r.EXIT_PHI : r.ENTRY_PHI)(i) = s.PHI;
  (exit ? r.EXIT_SL_ST : r.ENTRY_SL_ST)(i) = s.SL_ST;
}

// Stores the advanced angle as PHI; true while the unrounded advanced angle
// is still inside the arc of contact.
template <class S>
OROWAN_INLINE bool advanceAngle(S& s, const AnalysisRecord& pass, Side side) {
  if (side == Side::exit) {
    const Wide advanced = s.PHI + s.DPHI;
    s.PHI = advanced;
    return advanced < pass.CONTACT_ANGLE;
  }
  const Wide advanced = s.PHI - s.DPHI;
  s.PHI = advanced;
  return advanced > 0.0;
}

}  // namespace orowan
