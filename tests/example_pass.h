// Test set-up of one pass: the record as the dialogue leaves it before the
// exit-side march, from the five typed answers.
#pragma once

#include <cmath>

#include "analysis/analysis.h"

namespace passes {

struct Inputs {
  double R, H1, H2, meanYield, SGB, SGF, friction;
};

// The example pass: R 100, H 2 -> 1.5, yield 20, no tensions, friction 0.1.
constexpr Inputs kExample{100, 2, 1.5, 20, 0, 0, 0.1};

// Both tables span -1000 to 10000 mm with one constant value.
inline void spanTable(orowan::PropertyTable& table, double value) {
  table.count = 2;
  table.positions[0] = -1000.0;
  table.positions[1] = 10000.0;
  table.values[0] = value;
  table.values[1] = value;
}

inline void setUp(const Inputs& in) {
  using namespace orowan;
  rec.PI = single(3.1415927);
  rec.ROW_INTERVAL = 10;
  rec.R = in.R;
  rec.H1 = in.H1;
  rec.H2 = in.H2;
  const Real typedYield = in.meanYield;
  spanTable(rec.yieldTable, typedYield * single(1.15));
  rec.SGB = in.SGB;
  rec.SGF = in.SGF;
  spanTable(rec.frictionTable, Real(in.friction));
  rec.ROLL_DIAMETER = rec.R * 2.0;
  rec.F_EXIT_PLANE = -(rec.H2 * rec.SGF);
  rec.F_ENTRY_PLANE = -(rec.H1 * rec.SGB);
  rec.DH = rec.H1 - rec.H2;
  rec.XL = std::sqrt(rec.R * rec.DH - 0.25 * (rec.DH * rec.DH));
  const double angle = std::atan(rec.XL / (rec.R - 0.5 * (rec.H1 - rec.H2)));
  rec.CONTACT_ANGLE = angle;
  rec.ANGLE_STEP = angle / 400.0;
}

// Both marches of the pass.
inline void march(const Inputs& in) {
  setUp(in);
  orowan::marchRollGap(orowan::Side::exit);
  orowan::marchRollGap(orowan::Side::entry);
}

}  // namespace passes
