// Both marches of a library pass in one loop. Neither march reads what the
// other computes, so advancing them together makes a pass's critical path
// the longer of two chains of dependent arithmetic instead of their sum.
#include "analysis/side_by_side.h"

#include "analysis/march_steps.h"

namespace orowan {
namespace {

// One of the two marches: its state, kept steps and whether it goes on.
// Its side is a template argument of the functions below, so that every
// side-dependent choice of a step is made when it is compiled.
struct SideMarch {
  MarchState s;
  March& kept;
  bool going = true;
};

// After the integration of step i: the step stored and kept, F moved on,
// the angle advanced; `going` stays true while the march has a next step.
template <Side side>
OROWAN_INLINE void finishStep(SideMarch& m, AnalysisRecord& r, int i) {
  storeStep(m.s, r, side, i);
  const bool rowDue = m.s.ROW_COUNTER >= r.ROW_INTERVAL;
  m.kept.step[i - 1] = stepValuesOf(m.s, r.PI, rowDue);
  m.kept.steps = i;
  if (rowDue) m.s.ROW_COUNTER = 0;
  m.s.F = m.s.F_NEXT;
  m.going = advanceAngle(m.s, r, side) && i < kHistoryCapacity;
  if (m.going) ++m.s.ROW_COUNTER;
}

// The march's signed angle step.
template <Side side>
OROWAN_INLINE Real signedStep(const SideMarch& m) {
  return side == Side::entry ? -m.s.DPHI.v : m.s.DPHI.v;
}

// The angles of the march's step, before the step.
template <Side side>
OROWAN_INLINE void prepareAngles(SideMarch& m) {
  m.s.angles.prepare(m.s.PHI, signedStep<side>(m));
}

// The angles of the march's next step, during this one.
template <Side side>
OROWAN_INLINE void lookAhead(SideMarch& m) {
  m.s.angles.lookAhead(m.s.PHI, signedStep<side>(m));
}

// Step i of both marches, stage beside stage.
OROWAN_INLINE void takeStepsSideBySide(SideMarch& exit, SideMarch& entry, AnalysisRecord& r,
                                       int i) {
  prepareAngles<Side::exit>(exit);
  prepareAngles<Side::entry>(entry);
  workOutStepSection(exit.s, r, Side::exit);
  workOutStepSection(entry.s, r, Side::entry);
  auto stepA = integratorStep(exit.s, r, Side::exit);
  auto stepB = integratorStep(entry.s, r, Side::entry);
  takeStagesSideBySide(stepA, stepB, exit.s.F_NEXT, entry.s.F_NEXT, [&] {
    lookAhead<Side::exit>(exit);
    lookAhead<Side::entry>(entry);
  });
  finishStep<Side::exit>(exit, r, i);
  finishStep<Side::entry>(entry, r, i);
}

// Step i of one march, once the other has ended.
template <Side side>
void takeStepAlone(SideMarch& m, AnalysisRecord& r, int i) {
  prepareAngles<side>(m);
  workOutStepSection(m.s, r, side);
  auto step = integratorStep(m.s, r, side);
  m.s.F_NEXT = takeStages(step);
  finishStep<side>(m, r, i);
}

// The record's section fields from a march state.
void leaveSection(const MarchState& s, AnalysisRecord& r) {
  r.PHI = s.PHI, r.DPHI = s.DPHI, r.X = s.X, r.H = s.H, r.U = s.U, r.RK = s.RK, r.A = s.A;
  r.W = s.W, r.PRESSURE_FACTOR = s.PRESSURE_FACTOR, r.STICK_TERM = s.STICK_TERM;
  r.F = s.F, r.F_NEXT = s.F_NEXT, r.P = s.P, r.SGX = s.SGX, r.TAU = s.TAU;
  r.SL_ST = s.SL_ST, r.ROW_COUNTER = s.ROW_COUNTER;
}

}  // namespace

void marchSideBySide(AnalysisRecord& r, PassResult& result) {
  SideMarch exit{{}, result.exit};
  SideMarch entry{{}, result.entry};
  setUpMarch(exit.s, r, Side::exit);
  setUpMarch(entry.s, r, Side::entry);
  int i = 1;
  for (; exit.going && entry.going; ++i) takeStepsSideBySide(exit, entry, r, i);
  for (int j = i; exit.going; ++j) takeStepAlone<Side::exit>(exit, r, j);
  for (int j = i; entry.going; ++j) takeStepAlone<Side::entry>(entry, r, j);
  r.EXIT_X_BEYOND = r.R * sineOf(exit.s.angles, exit.s.PHI);
  r.EXIT_STEPS = exit.kept.steps;
  r.ENTRY_STEPS = entry.kept.steps;
  leaveSection(entry.s, r);
}

}  // namespace orowan
