// The first result: its heading, the two stress-table titles, the column
// header and one table row per written march step.
#include <initializer_list>

#include "analysis/analysis.h"
#include "console/writer.h"

namespace orowan {
namespace {

const console::FormatList kFirstResultHeading{"(/,/,/,' *** CALCULATED RESULT -- 1 ***')"};
const console::FormatList kExitTitle{
    "(/,/,/,T5,' *** Stress distribution on exit side.***',/)"};
const console::FormatList kEntryTitle{
    "(/,/,/,T5,' *** Stress distribution on entry side.***',/)"};
const console::FormatList kColumnHeader{
    "(T15,'X',T23,'O',T29,'SL/ST',T42,'F',T50,'P',T57,'P/K',T66,'SGX',T72,'SGX/K',"
    "T81,'TAU',T94,'H',T102,'U',T109,'RK',T118,'A',T126,'W')"};
const console::FormatList kStressRow{
    "(T10,2F8.2,I6,5X,2F8.2,F8.3,F8.2,F8.3,F8.2,4X,F8.2,F8.3,2F8.2,F8.3)"};

// One record with no items.
void writeText(const console::FormatList& list) {
  console::beginWrite(list);
  console::endWrite();
}

}  // namespace

// "CALCULATED RESULT -- 1", once per pass before the exit-side march.
void writeFirstResultHeading() { writeText(kFirstResultHeading); }

// The title of the side's stress table.
void writeStressTitle(Side side) { writeText(side == Side::exit ? kExitTitle : kEntryTitle); }

// The column labels, standing over the fields of the row.
void writeColumnHeader() { writeText(kColumnHeader); }

// One row from the current march state: P/K, SGX/K and the angle in
// degrees are worked out here (the multiplication by 180 first).
void writeStressRow() {
  const Real pOverK = rec.P / rec.RK;
  const Real sgxOverK = rec.SGX / rec.RK;
  const Real degrees = (rec.PHI * 180.0) / rec.PI;
  console::beginWrite(kStressRow);
  console::putRealItem(rec.X.v);
  console::putRealItem(degrees.v);
  console::putIntegerItem(rec.SL_ST);
  const std::initializer_list<const Real*> rest{&rec.F,  &rec.P, &pOverK, &rec.SGX,
                                                 &sgxOverK, &rec.TAU, &rec.H, &rec.U,
                                                 &rec.RK, &rec.A, &rec.W};
  for (const Real* value : rest) console::putRealItem(value->v);
  console::endWrite();
}

}  // namespace orowan
