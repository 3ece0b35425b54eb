// The console's report of a pass, written from the analysis record: the
// heading of the first result, the two stress tables as the marches go
// (through a march observer), and the second result.
#pragma once

#include "analysis/analysis.h"

namespace orowan {

// "CALCULATED RESULT -- 1", once per pass before the exit-side march.
void writeFirstResultHeading();

// The observer that writes a side's title and column header when its
// march starts, and a table row for every step the march marks as due.
MarchObserver stressTableWriter();

// The pieces of a stress table.
void writeStressTitle(Side side);
void writeColumnHeader();
void writeStressRow();

// The second result: reduction, contact, neutral point and roll load, or
// the line that says there is no neutral point. Needs workOutSummary.
void writeSummary();

}  // namespace orowan
