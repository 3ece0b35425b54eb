// The march across the roll gap from the exit or the entry plane: at every
// step slip or stick, pressure and stresses at the section, one integrator
// step to the next section, the step history, and the observer's word
// after each step (the console writes every tenth step as a row).
#include "analysis/analysis.h"
#include "analysis/angle_terms.h"
#include "analysis/math.h"

namespace orowan {
namespace {

// The side's step history, its slip/stick record and its count.
struct SideHistory {
  StepArray &X, &PHI, &F, &P;
  IntegerStepArray& SL_ST;
  Integer& steps;
};

SideHistory historyOf(Side side) {
  if (side == Side::exit) {
    return {rec.EXIT_X, rec.EXIT_PHI, rec.EXIT_F, rec.EXIT_P, rec.EXIT_SL_ST, rec.EXIT_STEPS};
  }
  return {rec.ENTRY_X, rec.ENTRY_PHI, rec.ENTRY_F, rec.ENTRY_P, rec.ENTRY_SL_ST,
          rec.ENTRY_STEPS};
}

// The start state of the side's march.
void setUpMarch(Side side) {
  const bool fromExit = side == Side::exit;
  rec.PHI = fromExit ? Real(0.0) : rec.CONTACT_ANGLE;
  rec.F = fromExit ? rec.F_EXIT_PLANE : rec.F_ENTRY_PLANE;
  rec.F_NEXT = rec.F;
  rec.DPHI = rec.ANGLE_STEP;
  rec.ROW_COUNTER = rec.ROW_INTERVAL;
}

// X, H and the properties at the section PHI; the exit side looks up the
// friction first, the entry side the yield stress.
void workOutSection(Side side) {
  rec.X = rec.R * sineOf(rec.PHI);
  rec.H = (1.0 - cosineOf(rec.PHI)) * rec.R * 2.0 + rec.H2;
  if (side == Side::exit) {
    lookupFriction(rec.X, rec.U);
    lookupYieldStress(rec.X, rec.RK);
  } else {
    lookupYieldStress(rec.X, rec.RK);
    lookupFriction(rec.X, rec.U);
  }
}

// Stores A, the positive root of c A^2 + A/(2U) = 1 + F/(H RK), and returns
// it unrounded: the slip test uses the value before the store rounds it.
// b is rounded before use, B is not; faults come in the order c, b, B.
double workOutA(const Real& c) {
  const Real b = -(0.5 / rec.U);
  const double B = rec.F / rec.H / rec.RK + 1.0;
  const double A = (mathSqrt(B * c * 4.0 + b * b) + b) * 0.5 / c;
  rec.A = A;
  return A;
}

// The slipping section; both sides use the looked-up (positive) U here.
void workOutSlip(const Real& c) {
  rec.SL_ST = 1;
  rec.W = 1.0 - rec.A * rec.A * c;
  if (rec.PHI <= 0.0) {
    rec.PRESSURE_FACTOR = 1.0;
  } else {
    rec.PRESSURE_FACTOR = 1.0 + rec.U * tangentTerm(rec.PHI);
  }
  rec.P = (rec.RK * rec.W + rec.F / rec.H) / rec.PRESSURE_FACTOR;
  rec.SGX = rec.F / rec.H;
  rec.TAU = rec.P * rec.U;
}

// The sticking section: the side decides the signs of the correction in
// the pressure factor and of the cosine term of STICK_TERM.
void workOutStick(Side side) {
  const bool fromExit = side == Side::exit;
  rec.SL_ST = 2;
  rec.W = rec.PI * 0.25;
  if (rec.PHI <= 0.0) {
    rec.PRESSURE_FACTOR = rec.W;
  } else {
    const double correction = 0.5 * tangentTerm(rec.PHI);
    rec.PRESSURE_FACTOR = fromExit ? rec.W - correction : rec.W + correction;
  }
  const double lean = sineOf(rec.PHI) * rec.PRESSURE_FACTOR;
  const double half = 0.5 * cosineOf(rec.PHI);
  rec.STICK_TERM = fromExit ? lean + half : lean - half;
  rec.P = rec.F / rec.H + rec.RK * rec.PRESSURE_FACTOR;
  rec.SGX = rec.F / rec.H;
  rec.TAU = rec.RK * 0.5;
}

// F_NEXT from one integrator step of the current state. The entry side
// runs toward smaller angles: it hands DPHI and U over negated (exactly:
// a negation never rounds), and the record keeps them as they are.
void integrate(Side side) {
  const bool entry = side == Side::entry;
  const Real DPHI = entry ? -rec.DPHI.v : rec.DPHI.v;
  const Real U = entry ? -rec.U.v : rec.U.v;
  if (rec.SL_ST == 1) {
    stepSlip(rec.F, rec.F_NEXT, rec.PHI, DPHI, rec.H, U, rec.RK, rec.W, rec.ROLL_DIAMETER);
  } else {
    stepStick(rec.F, rec.F_NEXT, rec.PHI, DPHI, rec.H, U, rec.RK, rec.STICK_TERM,
              rec.ROLL_DIAMETER);
  }
}

// Step i (1..500) at the current section, up to F = F_NEXT. The observer
// hears of the step after it is stored and before F moves on.
void takeStep(Side side, int i, const MarchObserver& observer) {
  workOutSection(side);
  const Real c = 1.0 - rec.PI * 0.25;
  if (workOutA(c) < 1.0) {
    workOutSlip(c);
  } else {
    workOutStick(side);
  }
  integrate(side);
  const SideHistory history = historyOf(side);
  history.P(i) = rec.P;
  history.F(i) = rec.F;
  history.X(i) = rec.X;
  history.PHI(i) = rec.PHI;
  history.SL_ST(i) = rec.SL_ST;
  const bool rowDue = rec.ROW_COUNTER >= rec.ROW_INTERVAL;
  if (observer.stepTaken != nullptr) observer.stepTaken(observer.context, side, i, rowDue);
  if (rowDue) {
    if (observer.rowDue != nullptr) observer.rowDue(observer.context, side, i);
    rec.ROW_COUNTER = 0;
  }
  rec.F = rec.F_NEXT;
}

// Stores the advanced angle as PHI; true while the unrounded advanced angle
// is still inside the arc of contact.
bool advanceAngle(Side side) {
  if (side == Side::exit) {
    const double advanced = rec.PHI + rec.DPHI;
    rec.PHI = advanced;
    return advanced < rec.CONTACT_ANGLE;
  }
  const double advanced = rec.PHI - rec.DPHI;
  rec.PHI = advanced;
  return advanced > 0.0;
}

}  // namespace

// One march from the plane of `side`, at most kHistoryCapacity steps. The
// exit side also keeps the position its next step would have had, for the
// load sum when the neutral point is at its last step.
void marchRollGap(Side side, const MarchObserver& observer) {
  if (observer.marchStarts != nullptr) observer.marchStarts(observer.context, side);
  setUpMarch(side);
  int i = 1;
  for (;; ++i) {
    takeStep(side, i, observer);
    if (!advanceAngle(side) || i >= kHistoryCapacity) break;
    ++rec.ROW_COUNTER;
  }
  if (side == Side::exit) rec.EXIT_X_BEYOND = rec.R * sineOf(rec.PHI);
  historyOf(side).steps = i;
}

}  // namespace orowan
