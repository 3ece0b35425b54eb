// Test set-up of one pass: the record as the dialogue leaves it before the
// exit-side march, from the five typed answers.
#pragma once

#include "analysis/analysis.h"

namespace example {

struct Inputs {
  double R, H1, H2, meanYield, SGB, SGF, friction;
};

// The example pass: R 100, H 2 -> 1.5, yield 20, no tensions, friction 0.1.
constexpr Inputs kExample{100, 2, 1.5, 20, 0, 0, 0.1};

// The record as the dialogue leaves it after reading `in`: the typed
// values, then its own table and geometry steps.
inline void setUp(const Inputs& in) {
  using namespace orowan;
  startPass();
  rec.R = in.R;
  rec.H1 = in.H1;
  rec.H2 = in.H2;
  rec.MEAN_YIELD_STRESS = in.meanYield;
  fillYieldTable();
  rec.SGB = in.SGB;
  rec.SGF = in.SGF;
  rec.frictionTable.values[0] = in.friction;
  fillFrictionTable();
  deriveGeometry();
}

// Both marches of the pass, told to `observer`.
inline void march(const Inputs& in, const orowan::MarchObserver& observer = {}) {
  setUp(in);
  orowan::marchRollGap(orowan::Side::exit, observer);
  orowan::marchRollGap(orowan::Side::entry, observer);
}

}  // namespace example
