// Property lookups: interval choice (left end in, right end out), linear
// interpolation, the defaults and the friction's absolute value.
#include <cmath>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include "analysis/analysis.h"

namespace {

using orowan::PropertyTable;
using orowan::Real;
using orowan::rec;
using orowan::single;

enum class Lookup { friction, yield };

struct Case {
  const char* what;
  Lookup lookup;
  std::vector<double> positions, values;
  double X;
  double expected;
  double tolerance;  // 0: exact
};

void fill(PropertyTable& table, const Case& c) {
  table = PropertyTable{};
  table.count = static_cast<int>(c.positions.size());
  for (std::size_t k = 0; k < c.positions.size(); ++k) {
    table.positions[k] = c.positions[k];
    table.values[k] = c.values[k];
  }
}

void expectLookup(const Case& c) {
  SCOPED_TRACE(c.what);
  const bool friction = c.lookup == Lookup::friction;
  fill(friction ? rec.frictionTable : rec.yieldTable, c);
  const Real X = c.X;
  Real result = -12345.0;
  if (friction) {
    orowan::lookupFriction(X, result);
  } else {
    orowan::lookupYieldStress(X, result);
  }
  if (c.tolerance == 0) {
    EXPECT_EQ(result.v, static_cast<float>(c.expected));
  } else {
    EXPECT_NEAR(result.v, c.expected, c.tolerance);
  }
}

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const std::vector<double> kSpan{-1000.0, 10000.0};  // the dialogue's positions

// Defaults: single(0.1) for friction, 20 for the yield stress.
const Case kCases[] = {
    {"left end included", Lookup::friction, kSpan, {0.3, 0.3}, -1000.0, single(0.3), 0},
    {"right end excluded", Lookup::friction, kSpan, {0.3, 0.3}, 10000.0, single(0.1), 0},
    {"beyond the right end", Lookup::friction, kSpan, {0.3, 0.3}, 25000.0, single(0.1), 0},
    {"below the left end", Lookup::friction, kSpan, {0.3, 0.3}, -1000.5, single(0.1), 0},
    {"yield left end", Lookup::yield, kSpan, {23.0, 23.0}, -1000.0, 23.0, 0},
    {"yield right end", Lookup::yield, kSpan, {23.0, 23.0}, 10000.0, 20.0, 0},
    {"yield below the range", Lookup::yield, kSpan, {23.0, 23.0}, -2000.0, 20.0, 0},
    {"negative friction turns positive", Lookup::friction, kSpan, {-0.15, -0.15}, 3.0,
     single(0.15), 0},
    {"negative yield stays negative", Lookup::yield, kSpan, {-11.5, -11.5}, 3.0, -11.5, 0},
    {"friction 0 is not the default", Lookup::friction, kSpan, {0.0, 0.0}, 3.0, 0.0, 0},
    {"midpoint", Lookup::yield, {0.0, 10.0}, {1.0, 3.0}, 5.0, 2.0, 0},
    {"left point", Lookup::yield, {0.0, 10.0}, {1.0, 3.0}, 0.0, 1.0, 0},
    {"right point", Lookup::yield, {0.0, 10.0}, {1.0, 3.0}, 10.0, 20.0, 0},
    // slope 0.4/10 rounded to single: a few units off 0.1 and 0, not exact
    {"|-0.1| through zero", Lookup::friction, {0.0, 10.0}, {-0.2, 0.2}, 2.5, 0.1, 5e-8},
    {"zero crossing", Lookup::friction, {0.0, 10.0}, {-0.2, 0.2}, 5.0, 0.0, 5e-8},
    {"inner point: second interval", Lookup::yield, {0.0, 10.0, 20.0}, {1.0, 1.0, 2.0}, 10.0,
     1.0, 0},
    {"second interval", Lookup::yield, {0.0, 10.0, 20.0}, {1.0, 1.0, 2.0}, 15.0, 1.5, 0},
    {"empty interval skipped", Lookup::yield, {5.0, 5.0, 10.0}, {100.0, 7.0, 9.0}, 5.0, 7.0, 0},
    {"only an empty interval", Lookup::yield, {5.0, 5.0}, {1.0, 2.0}, 5.0, 20.0, 0},
    {"NaN position", Lookup::friction, kSpan, {0.3, 0.3}, kNaN, single(0.1), 0},
    {"single point has no interval", Lookup::yield, {0.0}, {5.0}, 0.0, 20.0, 0},
};

TEST(PropertyTable, Lookups) {
  for (const Case& c : kCases) expectLookup(c);
}

// A count above the capacity never reads past the 50 points.
TEST(PropertyTable, CountBeyondCapacityStaysInside) {
  PropertyTable& table = rec.yieldTable;
  table = PropertyTable{};
  for (int k = 0; k < orowan::kTableCapacity; ++k) {
    table.positions[k] = k;
    table.values[k] = 2.0 * k;
  }
  table.count = 1000;
  Real RK;
  orowan::lookupYieldStress(Real(48.5), RK);  // last interval: 48..49
  EXPECT_EQ(RK.v, 97.0f);
  orowan::lookupYieldStress(Real(49.0), RK);  // no interval beyond point 50
  EXPECT_EQ(RK.v, 20.0f);
}

}  // namespace
