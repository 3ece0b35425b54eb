// The console's report of a pass: the first result's heading, the stress
// tables, and the second result block.
#include "program/report.h"

#include <initializer_list>

#include "console/writer.h"

namespace orowan {
namespace {

using orowan::console::FormatList;

const FormatList kFirstResultHeading{"(/,/,/,' *** CALCULATED RESULT -- 1 ***')"};
const FormatList kExitTitle{"(/,/,/,T5,' *** Stress distribution on exit side.***',/)"};
const FormatList kEntryTitle{"(/,/,/,T5,' *** Stress distribution on entry side.***',/)"};
const FormatList kColumnHeader{
    "(T15,'X',T23,'O',T29,'SL/ST',T42,'F',T50,'P',T57,'P/K',T66,'SGX',T72,'SGX/K',"
    "T81,'TAU',T94,'H',T102,'U',T109,'RK',T118,'A',T126,'W')"};
const FormatList kStressRow{
    "(T10,2F8.2,I6,5X,2F8.2,F8.3,F8.2,F8.3,F8.2,4X,F8.2,F8.3,2F8.2,F8.3)"};

const FormatList kHeading{"(/,/,/,'*** CALCULATED RESULT -- 2 ***',/,/,/)"};
const FormatList kNoNeutralPoint{"(T10,'* NO NEUTRAL POINT')"};
const FormatList kReductionTitle{"(T10,'* REDUCTION RATIO')"};
const FormatList kReduction{"(T14,'R',F8.3,'  (--)',/)"};
const FormatList kContactTitle{"(T10,'* CONTACT LENGTH')"};
const FormatList kContact{"(T14,'XL',F8.2,'  (MM)',4X,'OM',F8.2,'  (DEGREE)',/)"};
const FormatList kNeutralTitle{"(T10,'* NEUTRAL POINT')"};
const FormatList kNeutral{"(T14,'XN',F8.2,'  (MM)',4X,'ON',F8.2,'  (DEGREE)',/)"};
const FormatList kNeutralPressureTitle{"(T10,'* NEUTRAL POINT PRESSURE')"};
const FormatList kNeutralPressure{"(T14,'F',F8.2,'  (KG/MM)',4X,'P',F8.3,'  (KG/MM2)',/)"};
const FormatList kMeanPressureTitle{"(T10,'* MEAN ROLL PRESSURE')"};
const FormatList kMeanPressure{"(T14,'PM',F8.2,'  (KG/MM2)',/)"};
const FormatList kLoadTitle{"(T10,'* ROLLING FORCE AND TORQUE')"};
const FormatList kLoad{"(T14,'P',F8.2,'  (T/M)',4X,'G',F8.3,'  (T-M/M)',/)"};
const FormatList kArmTitle{"(T10,'* TORQUE ARM')"};
const FormatList kArm{"(T14,'A',F8.3,'  (MM)',/)"};

// One record with the given real items (none for a title).
void writeRecord(const FormatList& list, std::initializer_list<const Real*> values = {}) {
  orowan::console::beginWrite(list);
  for (const Real* value : values) orowan::console::putRealItem(value->v);
  orowan::console::endWrite();
}

void onMarchStart(void*, Side side) {
  writeStressTitle(side);
  writeColumnHeader();
}

void onRow(void*, Side, int) { writeStressRow(); }

// The fourteen records of a pass with a neutral point.
void writeResults() {
  writeRecord(kReductionTitle);
  writeRecord(kReduction, {&rec.REDUCTION_RATIO});
  writeRecord(kContactTitle);
  writeRecord(kContact, {&rec.XL, &rec.OM});
  writeRecord(kNeutralTitle);
  writeRecord(kNeutral, {&rec.XN, &rec.ON});
  writeRecord(kNeutralPressureTitle);
  writeRecord(kNeutralPressure, {&rec.NEUTRAL_F, &rec.NEUTRAL_P});
  writeRecord(kMeanPressureTitle);
  writeRecord(kMeanPressure, {&rec.PM});
  writeRecord(kLoadTitle);
  writeRecord(kLoad, {&rec.ROLLING_FORCE, &rec.G});
  writeRecord(kArmTitle);
  writeRecord(kArm, {&rec.TORQUE_ARM});
}

}  // namespace

void writeFirstResultHeading() { writeRecord(kFirstResultHeading); }

MarchObserver stressTableWriter() { return {onMarchStart, nullptr, onRow, nullptr}; }

void writeStressTitle(Side side) { writeRecord(side == Side::exit ? kExitTitle : kEntryTitle); }

void writeColumnHeader() { writeRecord(kColumnHeader); }

// One row from the current march state.
void writeStressRow() {
  const RowValues row = workOutRowValues();
  orowan::console::beginWrite(kStressRow);
  orowan::console::putRealItem(rec.X.v);
  orowan::console::putRealItem(row.degrees.v);
  orowan::console::putIntegerItem(rec.SL_ST);
  const std::initializer_list<const Real*> rest{&rec.F,   &rec.P, &row.pOverK, &rec.SGX,
                                                 &row.sgxOverK, &rec.TAU, &rec.H, &rec.U,
                                                 &rec.RK, &rec.A, &rec.W};
  for (const Real* value : rest) orowan::console::putRealItem(value->v);
  orowan::console::endWrite();
}

void writeSummary() {
  writeRecord(kHeading);
  if (rec.NO_NEUTRAL_POINT != 0) {
    writeRecord(kNoNeutralPoint);
    return;
  }
  writeResults();
}

}  // namespace orowan
