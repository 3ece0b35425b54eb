// The set-up of a pass: the property tables from the typed values and the
// geometry of the arc of contact.
#include "analysis/analysis.h"
#include "analysis/math.h"
#include "analysis/pass.h"

namespace orowan {
namespace {

// Count 2, the points at -1000 and 10000 mm, the second value equal to the
// first.
void spanTable(PropertyTable& table) {
  table.count = 2;
  table.positions[0] = -1000.0;
  table.positions[1] = kTableEnd;
  table.values[1] = table.values[0];
}

}  // namespace

void startPass() {
  rec.PI = single(3.1415927);
  rec.ROW_INTERVAL = 10;
}

// The yield stress of the analysis is 1.15 times the typed mean yield
// stress. The typed value has a field of its own, so a null answer in a
// later pass keeps the typed value instead of compounding the factor.
void fillYieldTable() {
  PropertyTable& table = rec.yieldTable;
  table.values[0] = rec.MEAN_YIELD_STRESS;
  spanTable(table);
  table.values[0] = table.values[0] * single(1.15);
  table.values[1] = table.values[1] * single(1.15);
}

void fillFrictionTable() { spanTable(rec.frictionTable); }

// Geometry of the arc of contact. The contact angle's denominator uses
// H1 - H2 unrounded, and the angle step divides the unrounded arctangent.
void deriveGeometry() {
  rec.ROLL_DIAMETER = rec.R * 2.0;
  rec.F_EXIT_PLANE = -(rec.H2 * rec.SGF);
  rec.F_ENTRY_PLANE = -(rec.H1 * rec.SGB);
  rec.DH = rec.H1 - rec.H2;
  const Wide dh = rec.DH;
  rec.XL = mathSqrt(rec.R * dh - 0.25 * (dh * dh));
  const Wide angle = mathAtan(rec.XL / (rec.R - 0.5 * (rec.H1 - rec.H2)));
  rec.CONTACT_ANGLE = angle;
  rec.ANGLE_STEP = angle / 400.0;
}

}  // namespace orowan
