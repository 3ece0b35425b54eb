// The second result: reduction, contact, neutral point and roll load, or
// the line that says there is no neutral point.
#include <algorithm>
#include <initializer_list>

#include "analysis/analysis.h"
#include "console/writer.h"

namespace orowan {
namespace {

const console::FormatList kHeading{"(/,/,/,'*** CALCULATED RESULT -- 2 ***',/,/,/)"};
const console::FormatList kNoNeutralPoint{"(T10,'* NO NEUTRAL POINT')"};
const console::FormatList kReductionTitle{"(T10,'* REDUCTION RATIO')"};
const console::FormatList kReduction{"(T14,'R',F8.3,'  (--)',/)"};
const console::FormatList kContactTitle{"(T10,'* CONTACT LENGTH')"};
const console::FormatList kContact{"(T14,'XL',F8.2,'  (MM)',4X,'OM',F8.2,'  (DEGREE)',/)"};
const console::FormatList kNeutralTitle{"(T10,'* NEUTRAL POINT')"};
const console::FormatList kNeutral{"(T14,'XN',F8.2,'  (MM)',4X,'ON',F8.2,'  (DEGREE)',/)"};
const console::FormatList kNeutralPressureTitle{"(T10,'* NEUTRAL POINT PRESSURE')"};
const console::FormatList kNeutralPressure{
    "(T14,'F',F8.2,'  (KG/MM)',4X,'P',F8.3,'  (KG/MM2)',/)"};
const console::FormatList kMeanPressureTitle{"(T10,'* MEAN ROLL PRESSURE')"};
const console::FormatList kMeanPressure{"(T14,'PM',F8.2,'  (KG/MM2)',/)"};
const console::FormatList kLoadTitle{"(T10,'* ROLLING FORCE AND TORQUE')"};
const console::FormatList kLoad{"(T14,'P',F8.2,'  (T/M)',4X,'G',F8.3,'  (T-M/M)',/)"};
const console::FormatList kArmTitle{"(T10,'* TORQUE ARM')"};
const console::FormatList kArm{"(T14,'A',F8.3,'  (MM)',/)"};

// One record with the given real items.
void writeRecord(const console::FormatList& list, std::initializer_list<const Real*> values) {
  console::beginWrite(list);
  for (const Real* value : values) console::putRealItem(value->v);
  console::endWrite();
}

// Position, angle, force and pressure at the neutral step, all from the
// exit-side history.
void takeNeutralPoint() {
  const int i = std::clamp(static_cast<int>(rec.NEUTRAL_STEP), 1, kHistoryCapacity);
  rec.XN = rec.EXIT_X(i);
  rec.ON = rec.EXIT_PHI(i) * 180.0 / rec.PI;
  rec.NEUTRAL_F = rec.EXIT_F(i);
  rec.NEUTRAL_P = rec.EXIT_P(i);
}

// The fourteen records of a pass with a neutral point.
void writeResults() {
  writeRecord(kReductionTitle, {});
  writeRecord(kReduction, {&rec.REDUCTION_RATIO});
  writeRecord(kContactTitle, {});
  writeRecord(kContact, {&rec.XL, &rec.OM});
  writeRecord(kNeutralTitle, {});
  writeRecord(kNeutral, {&rec.XN, &rec.ON});
  writeRecord(kNeutralPressureTitle, {});
  writeRecord(kNeutralPressure, {&rec.NEUTRAL_F, &rec.NEUTRAL_P});
  writeRecord(kMeanPressureTitle, {});
  writeRecord(kMeanPressure, {&rec.PM});
  writeRecord(kLoadTitle, {});
  writeRecord(kLoad, {&rec.ROLLING_FORCE, &rec.G});
  writeRecord(kArmTitle, {});
  writeRecord(kArm, {&rec.TORQUE_ARM});
}

}  // namespace

// The second result block, written at the end of every pass.
void writeSummary() {
  rec.REDUCTION_RATIO = rec.DH / rec.H1;
  rec.OM = rec.CONTACT_ANGLE * 180.0 / rec.PI;
  const bool found = rec.NO_NEUTRAL_POINT == 0;
  if (found) takeNeutralPoint();
  writeRecord(kHeading, {});
  if (!found) {
    writeRecord(kNoNeutralPoint, {});
    return;
  }
  writeResults();
}

}  // namespace orowan
