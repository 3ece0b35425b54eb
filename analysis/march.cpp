// The console's march across the roll gap from the exit or the entry plane,
// in the record: at every step slip or stick, pressure and stresses at the
// section, one integrator step to the next section, the step history, and
// the observer's word after each step (the console writes every tenth step
// as a row). The pieces are march_steps.h's, which the library's marches
// side by side share.
#include "analysis/analysis.h"
#include "analysis/march_steps.h"

namespace orowan {
namespace {

// Step i (1..500) at the current section, up to F = F_NEXT. The observer
// hears of the step after it is stored and before F moves on.
void takeStep(Side side, int i, const MarchObserver& observer) {
  workOutStepSection(rec, rec, side);
  auto step = integratorStep(rec, rec, side);
  rec.F_NEXT = takeStages(step);
  storeStep(rec, rec, side, i);
  const bool rowDue = rec.ROW_COUNTER >= rec.ROW_INTERVAL;
  if (observer.stepTaken != nullptr) observer.stepTaken(observer.context, side, i, rowDue);
  if (rowDue) {
    if (observer.rowDue != nullptr) observer.rowDue(observer.context, side, i);
    rec.ROW_COUNTER = 0;
  }
  rec.F = rec.F_NEXT;
}

}  // namespace

// One march from the plane of `side`, at most kHistoryCapacity steps. The
// exit side also keeps the position its next step would have had, for the
// load sum when the neutral point is at its last step.
void marchRollGap(Side side, const MarchObserver& observer) {
  if (observer.marchStarts != nullptr) observer.marchStarts(observer.context, side);
  setUpMarch(rec, rec, side);
  int i = 1;
  for (;; ++i) {
    takeStep(side, i, observer);
    if (!advanceAngle(rec, rec, side) || i >= kHistoryCapacity) break;
    ++rec.ROW_COUNTER;
  }
  if (side == Side::exit) rec.EXIT_X_BEYOND = rec.R * sineOf(rec.PHI);
  (side == Side::exit ? rec.EXIT_STEPS : rec.ENTRY_STEPS) = i;
}

}  // namespace orowan
