// The neutral point, where the force curves of the two marches meet, and
// the roll load: rolling force, torque, torque arm and mean roll pressure.
#include <algorithm>

#include "analysis/analysis.h"

namespace orowan {
namespace {

// A side's step count, kept inside the history so that every index is too.
int storedSteps(Integer count) { return std::clamp(static_cast<int>(count), 0, kHistoryCapacity); }

// The exit-side step i of the neutral point: the first i at which the
// entry-side force i steps back from the entry march's end is no longer
// above the exit-side force at step i. 0 when no pair crosses, or when the
// first pair crosses by more than the tolerance of 0.01 kgf/mm.
int findNeutralStep() {
  const int exitSteps = storedSteps(rec.EXIT_STEPS);
  const int entrySteps = storedSteps(rec.ENTRY_STEPS);
  for (int i = 1; i <= exitSteps && i <= entrySteps; ++i) {
    const Real d = rec.ENTRY_F(entrySteps - i + 1) - rec.EXIT_F(i);
    if (!(d <= 0.0)) continue;
    if (i == 1 && d < single(-0.01)) return 0;
    return i;
  }
  return 0;
}

// Rectangle-rule sums from the entry plane to entry-side step
// ENTRY_STEPS - i + 1, each interval weighted at its end nearer the entry
// plane, and from the exit plane to exit-side step i + 1 (at the last
// stored step the next position is the one the march would have reached
// next). Widths stay double; the sums are rounded after every term, each
// in its own order. The two sides' terms alternate in one loop, so that
// the processor overlaps their chains of rounded additions; a fault of
// either is an overflow of the load stage, whichever comes first.
void sumBothSides(int i) {
  rec.ENTRY_FORCE_SUM = 0.0;
  rec.ENTRY_MOMENT_SUM = 0.0;
  rec.EXIT_FORCE_SUM = 0.0;
  rec.EXIT_MOMENT_SUM = 0.0;
  const int entrySteps = storedSteps(rec.ENTRY_STEPS);
  const int exitSteps = storedSteps(rec.EXIT_STEPS);
  const int entryTerms = entrySteps - i;
  const int exitTerms = std::min(i, exitSteps);
  for (int j = 1; j <= entryTerms || j <= exitTerms; ++j) {
    if (j <= entryTerms) {
      const Wide w = rec.ENTRY_X(j) - rec.ENTRY_X(j + 1);
      rec.ENTRY_FORCE_SUM = rec.ENTRY_FORCE_SUM + w * rec.ENTRY_P(j);
      rec.ENTRY_MOMENT_SUM = rec.ENTRY_MOMENT_SUM + w * rec.ENTRY_X(j) * rec.ENTRY_P(j);
    }
    if (j <= exitTerms) {
      const Wide next = j < exitSteps ? rec.EXIT_X(j + 1) : rec.EXIT_X_BEYOND;
      const Wide w = next - rec.EXIT_X(j);
      rec.EXIT_FORCE_SUM = rec.EXIT_FORCE_SUM + w * rec.EXIT_P(j);
      rec.EXIT_MOMENT_SUM = rec.EXIT_MOMENT_SUM + w * rec.EXIT_X(j) * rec.EXIT_P(j);
    }
  }
}

// Rolling force (t/m), torque of both rolls (t m/m), torque arm (mm) and
// mean pressure, which is also left in P. The arm uses the unrounded G.
void workOutLoad() {
  rec.ROLLING_FORCE = rec.EXIT_FORCE_SUM + rec.ENTRY_FORCE_SUM;
  const Wide G = (rec.EXIT_MOMENT_SUM + rec.ENTRY_MOMENT_SUM) * 2.0 / 1000.0;
  rec.G = G;
  rec.TORQUE_ARM = G * 1000.0 / (2.0 * rec.ROLLING_FORCE);
  rec.PM = (rec.EXIT_FORCE_SUM + rec.ENTRY_FORCE_SUM) / rec.XL;
  rec.P = rec.PM;
}

}  // namespace

// After both marches: the neutral point and, when there is one, the load.
void neutralPointAndLoad() {
  rec.NO_NEUTRAL_POINT = 0;
  const int i = findNeutralStep();
  if (i == 0) {
    rec.NO_NEUTRAL_POINT = 1;
  } else {
    rec.NEUTRAL_STEP = i;
    sumBothSides(i);
    workOutLoad();
  }
}

}  // namespace orowan
