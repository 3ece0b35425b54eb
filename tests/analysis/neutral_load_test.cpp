// Neutral point and roll load on hand-made step histories, where every sum
// can be followed by hand, and on the example pass.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "analysis/analysis.h"
#include "example_pass.h"

namespace {

using orowan::rec;
using orowan::single;

struct Side {
  std::vector<double> X, P, F;  // entries 1, 2, ... of the history
};

struct Case {
  const char* what;
  Side exit, entry;
  double beyond;  // the exit side's next position
  int noNeutralPoint, neutralStep;
  double entryForce, entryMoment, exitForce, exitMoment;
};

// Stale entries beyond the counts: any of them read would show in the sums.
constexpr double kStale = 1.0e4;

void fillSide(orowan::StepArray& X, orowan::StepArray& P, orowan::StepArray& F,
              orowan::Integer& steps, const Side& side) {
  for (int i = 1; i <= orowan::kHistoryCapacity; ++i) X(i) = P(i) = F(i) = kStale;
  steps = static_cast<int>(side.X.size());
  for (int i = 1; i <= steps; ++i) {
    X(i) = side.X[i - 1];
    P(i) = side.P[i - 1];
    F(i) = side.F[i - 1];
  }
}

void expectLoad(const Case& c) {
  SCOPED_TRACE(c.what);
  fillSide(rec.EXIT_X, rec.EXIT_P, rec.EXIT_F, rec.EXIT_STEPS, c.exit);
  fillSide(rec.ENTRY_X, rec.ENTRY_P, rec.ENTRY_F, rec.ENTRY_STEPS, c.entry);
  rec.EXIT_X_BEYOND = c.beyond;
  rec.XL = 11.0;
  rec.NEUTRAL_STEP = -7;
  orowan::neutralPointAndLoad();
  EXPECT_EQ(rec.NO_NEUTRAL_POINT, c.noNeutralPoint);
  if (c.noNeutralPoint == 1) {
    EXPECT_EQ(rec.NEUTRAL_STEP, -7);  // not formed
    return;
  }
  EXPECT_EQ(rec.NEUTRAL_STEP, c.neutralStep);
  EXPECT_EQ(rec.ENTRY_FORCE_SUM.v, c.entryForce);
  EXPECT_EQ(rec.ENTRY_MOMENT_SUM.v, c.entryMoment);
  EXPECT_EQ(rec.EXIT_FORCE_SUM.v, c.exitForce);
  EXPECT_EQ(rec.EXIT_MOMENT_SUM.v, c.exitMoment);
  const double force = c.entryForce + c.exitForce;
  const double moment = c.entryMoment + c.exitMoment;
  EXPECT_EQ(rec.ROLLING_FORCE.v, static_cast<float>(force));
  EXPECT_FLOAT_EQ(rec.G.v, moment * 2 / 1000);
  EXPECT_FLOAT_EQ(rec.TORQUE_ARM.v, moment / force);  // 2 and 1000 cancel
  EXPECT_FLOAT_EQ(rec.PM.v, force / 11.0);
  EXPECT_EQ(rec.P.v, rec.PM.v);  // the mean pressure is left in P
}

// One geometry for most cases: exit X 0, 1, 3, 6 with P 10, 20, 30, 40;
// entry X 10, 9, 7, 4 with P 1, 2, 3, 4. Pair i compares entry step
// ENTRY_STEPS - i + 1 with exit step i.
const std::vector<double> kExitX{0, 1, 3, 6}, kExitP{10, 20, 30, 40};
const std::vector<double> kEntryX{10, 9, 7, 4}, kEntryP{1, 2, 3, 4};

const Case kCases[] = {
    // i = 1: 9 - 0 > 0; i = 2: 5 - 5 = 0 crosses. Entry j = 1, 2:
    // 1*1 + 2*2 = 5, 1*10*1 + 2*9*2 = 46; exit j = 1, 2: 1*10 + 2*20 = 50,
    // 1*0*10 + 2*1*20 = 40.
    {"d exactly 0 at i > 1", {kExitX, kExitP, {0, 5, 8, 9}}, {kEntryX, kEntryP, {0, 2, 5, 9}},
     10, 0, 2, 5, 46, 50, 40},
    // i = 1 within the tolerance: entry j = 1..3 adds 3*3 = 9 and 3*7*3 = 63
    // more; exit j = 1 only.
    {"first pair d = -0.005", {kExitX, kExitP, {0.005, 0, 0, 0}},
     {kEntryX, kEntryP, {9, 9, 9, 0}}, 10, 0, 1, 14, 109, 10, 0},
    // -single(0.01) is not below single(-0.01)
    {"first pair d = -0.01", {kExitX, kExitP, {single(0.01), 0, 0, 0}},
     {kEntryX, kEntryP, {9, 9, 9, 0}}, 10, 0, 1, 14, 109, 10, 0},
    {"first pair d = -0.02, later pairs cross", {kExitX, kExitP, {0.02, 9, 9, 9}},
     {kEntryX, kEntryP, {0, 0, 0, 0}}, 10, 1, 0, 0, 0, 0, 0},
    {"no pair crosses", {kExitX, kExitP, {0, 1, 2, 3}}, {kEntryX, kEntryP, {9, 9, 9, 9}}, 10,
     1, 0, 0, 0, 0, 0},
    // pairs stop at i = ENTRY_STEPS = 2, though exit step 3 would cross
    {"more exit steps than entry steps", {kExitX, kExitP, {0, 0, 100, 100}},
     {{10, 9}, {1, 2}, {9, 9}}, 10, 1, 0, 0, 0, 0, 0},
    // pairs stop at i = EXIT_STEPS = 2
    {"more entry steps than exit steps", {{0, 1}, {10, 20}, {0, 0}},
     {kEntryX, kEntryP, {-5, -5, 9, 9}}, 3, 1, 0, 0, 0, 0, 0},
    // crossing at i = ENTRY_STEPS = 2: no entry intervals; exit j = 1, 2
    {"crossing at the last entry step", {kExitX, kExitP, {0, 5, 5, 5}},
     {{10, 9}, {1, 2}, {0, 9}}, 10, 0, 2, 0, 0, 50, 40},
    // crossing at i = EXIT_STEPS = 2: the last exit interval ends at the
    // position beyond (4, not the stale entry 3): 1*10 + 3*20 = 70, 0 + 3*1*20.
    // Entry j = 1: 1*1 and 1*10*1.
    {"crossing at the last exit step", {{0, 1}, {10, 20}, {0, 5}},
     {{10, 9, 7}, {1, 2, 3}, {5, 5, 9}}, 4, 0, 2, 1, 10, 70, 60},
};

TEST(NeutralLoad, HandMadeHistories) {
  for (const Case& c : kCases) expectLoad(c);
}

// Each running sum is rounded after every term: three terms of 0.4 units
// in the last place of 1 each round away, while a sum carried in double
// would reach 1.2 units and round to 1 + 2^-23.
TEST(NeutralLoad, SumsRoundAfterEveryTerm) {
  const double e = static_cast<float>(0.4 * 0x1p-23);
  // crossing at i = 4 (entry step 2 has F 0); exit widths are all 1
  fillSide(rec.EXIT_X, rec.EXIT_P, rec.EXIT_F, rec.EXIT_STEPS,
           {{0, 1, 2, 3, 4}, {1, e, e, e, e}, {0, 0, 0, 0, 0}});
  fillSide(rec.ENTRY_X, rec.ENTRY_P, rec.ENTRY_F, rec.ENTRY_STEPS,
           {{10, 9, 8, 7, 6}, {0, 0, 0, 0, 0}, {9, 0, 9, 9, 9}});
  rec.XL = 1.0;
  orowan::neutralPointAndLoad();
  ASSERT_EQ(rec.NEUTRAL_STEP, 4);
  EXPECT_EQ(rec.EXIT_FORCE_SUM.v, 1.0f);
}

TEST(NeutralLoad, ExamplePass) {
  example::march(example::kExample);
  orowan::neutralPointAndLoad();
  EXPECT_EQ(rec.NO_NEUTRAL_POINT, 0);
  EXPECT_EQ(rec.NEUTRAL_STEP, 130);
  EXPECT_NEAR(rec.ROLLING_FORCE, 185.49, 0.005);
  EXPECT_NEAR(rec.G, 1.2786, 0.00005);
  EXPECT_NEAR(rec.TORQUE_ARM, 3.4467, 0.00005);
  EXPECT_NEAR(rec.PM, 26.248, 0.0005);
  EXPECT_EQ(rec.P.v, rec.PM.v);
}

}  // namespace
