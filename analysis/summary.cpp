// The summary values of a pass: reduction, contact angle and the neutral
// point, worked out after the loads.
#include <algorithm>

#include "analysis/analysis.h"

namespace orowan {
namespace {

// Position, angle, force and pressure at the neutral step, all from the
// exit-side history.
void takeNeutralPoint() {
  const int i = std::clamp(static_cast<int>(rec.NEUTRAL_STEP), 1, kHistoryCapacity);
  rec.XN = rec.EXIT_X(i);
  rec.ON = rec.EXIT_PHI(i) * 180.0 / rec.PI;
  rec.NEUTRAL_F = rec.EXIT_F(i);
  rec.NEUTRAL_P = rec.EXIT_P(i);
}

}  // namespace

void workOutSummary() {
  rec.REDUCTION_RATIO = rec.DH / rec.H1;
  rec.OM = rec.CONTACT_ANGLE * 180.0 / rec.PI;
  if (rec.NO_NEUTRAL_POINT == 0) takeNeutralPoint();
}

// P/K, SGX/K and the angle in degrees of the current section.
RowValues workOutRowValues() { return workOutRowValues(rec, rec.PI); }

}  // namespace orowan
