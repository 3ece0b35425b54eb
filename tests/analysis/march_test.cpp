// The roll-gap march: step counts, slip and stick decisions, the step
// history and the state of a step, on the passes whose results are known.
#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "analysis/analysis.h"
#include "example_pass.h"

namespace {

using orowan::rec;
using orowan::Side;

// ---- step counts -------------------------------------------------------

struct CountCase {
  const char* what;
  example::Inputs in;
  int exitSteps, entrySteps;
};

// 400 or 401 depending on how the single-precision angle accumulates; one
// step when the angle is 0 (0 + 0 is not below 0) or negative (a reduction
// between 2R and 4R).
const CountCase kCounts[] = {
    {"example pass", example::kExample, 400, 400},
    {"401 steps", {200, 1, 0.8, 30, 0, 0, 0.2}, 401, 401},
    {"no reduction", {100, 1.5, 1.5, 20, 0, 0, 0.1}, 1, 1},
    {"negative contact angle", {1, 3, 0, 20, 0, 0, 0.1}, 1, 1},
};

TEST(March, StepCounts) {
  for (const CountCase& c : kCounts) {
    SCOPED_TRACE(c.what);
    example::march(c.in);
    EXPECT_EQ(rec.EXIT_STEPS, c.exitSteps);
    EXPECT_EQ(rec.ENTRY_STEPS, c.entrySteps);
  }
}

// ---- the state of the first exit-side step ----------------------------

struct FirstStepCase {
  const char* what;
  double friction;
  int SL_ST;
  double A, W, P, TAU;  // the printed values of the first exit-side row
};

// H1 = H2 stops after one step at PHI = 0, leaving the state of the first
// exit-side step of the example pass (same H2, yield and friction).
// By hand for friction 0.1: c = 1 - PI/4 = 0.2146, b = -5, B = 1,
// A = (sqrt(4c + 25) - 5) / (2c) = 0.1983, W = 1 - A^2 c = 0.99156, P = 23 W.
const FirstStepCase kFirstSteps[] = {
    {"slips", 0.1, 1, 0.20, 0.992, 22.81, 2.28},
    {"sticks", 1.0, 2, 1.29, 0.785, 18.06, 11.50},
};

TEST(March, FirstExitStep) {
  for (const FirstStepCase& c : kFirstSteps) {
    SCOPED_TRACE(c.what);
    example::setUp({100, 1.5, 1.5, 20, 0, 0, c.friction});
    orowan::marchRollGap(Side::exit, {});
    EXPECT_EQ(rec.SL_ST, c.SL_ST);
    EXPECT_NEAR(rec.A, c.A, 0.005);
    EXPECT_NEAR(rec.W, c.W, 0.0005);
    EXPECT_NEAR(rec.P, c.P, 0.005);
    EXPECT_NEAR(rec.P / rec.RK, c.W, 0.0005);  // F = 0 and factor 1 (or W): P/K = W
    EXPECT_NEAR(rec.TAU, c.TAU, 0.005);
    EXPECT_EQ(rec.H.v, 1.5f);
    EXPECT_EQ(rec.RK.v, 23.0f);
    EXPECT_EQ(rec.X.v, 0.0f);
  }
}

// ---- the example pass ---------------------------------------------------

TEST(March, ExamplePassHistory) {
  example::march(example::kExample);
  // every step slips on both sides
  for (int i = 1; i <= 400; ++i) {
    ASSERT_EQ(rec.EXIT_SL_ST(i), 1) << "exit step " << i;
    ASSERT_EQ(rec.ENTRY_SL_ST(i), 1) << "entry step " << i;
  }
  // exit plane: X = 0, PHI = 0, F = the force of no front tension
  EXPECT_EQ(rec.EXIT_X(1).v, 0.0f);
  EXPECT_EQ(rec.EXIT_PHI(1).v, 0.0f);
  EXPECT_EQ(rec.EXIT_F(1).v, 0.0f);
  EXPECT_NEAR(rec.EXIT_P(1), 22.81, 0.005);
  // entry i holds F at the start of step i: F(2) is the first step's F_NEXT
  EXPECT_NEAR(rec.EXIT_F(2), 0.080814, 5e-7);
  // entry plane: X = XL, PHI = CONTACT_ANGLE (4.05 degrees)
  EXPECT_NEAR(rec.ENTRY_X(1), 7.07, 0.005);
  EXPECT_EQ(rec.ENTRY_PHI(1).v, rec.CONTACT_ANGLE.v);
  EXPECT_NEAR(rec.ENTRY_P(1), 22.75, 0.005);
  // the last rows (step 391) of both tables
  EXPECT_NEAR(rec.EXIT_F(391), 74.32, 0.005);
  EXPECT_NEAR(rec.EXIT_P(391), 59.17, 0.005);
  EXPECT_NEAR(rec.ENTRY_F(391), 26.78, 0.005);
  EXPECT_NEAR(rec.ENTRY_P(391), 40.24, 0.005);
  // the entry side restores U's sign after every integrator call
  EXPECT_GT(rec.U, 0.0);
  EXPECT_GT(rec.DPHI, 0.0);
}

// PHI is accumulated in single precision from one stored step.
TEST(March, AnglesAccumulateInSinglePrecision) {
  example::march(example::kExample);
  orowan::Real exitPhi = 0.0, entryPhi = rec.CONTACT_ANGLE;
  for (int i = 1; i <= 400; ++i) {
    ASSERT_EQ(rec.EXIT_PHI(i).v, exitPhi.v) << i;
    ASSERT_EQ(rec.ENTRY_PHI(i).v, entryPhi.v) << i;
    exitPhi = exitPhi + rec.ANGLE_STEP;
    entryPhi = entryPhi - rec.ANGLE_STEP;
  }
}

TEST(March, NegativeFrictionActsAsItsAbsoluteValue) {
  example::march(example::kExample);
  const orowan::AnalysisRecord positive = rec;
  example::march({100, 2, 1.5, 20, 0, 0, -0.1});
  for (int i = 1; i <= 400; ++i) {
    ASSERT_EQ(rec.EXIT_F(i).v, positive.EXIT_F(i).v) << i;
    ASSERT_EQ(rec.ENTRY_P(i).v, positive.ENTRY_P(i).v) << i;
  }
}

// ---- slip and stick -----------------------------------------------------

struct ZoneCase {
  const char* what;
  example::Inputs in;
  int lastExitSlip, lastEntrySlip;  // sticks from the next step to the end
};

const ZoneCase kZones[] = {
    {"friction 1.0 sticks throughout", {100, 2, 1.5, 20, 0, 0, 1.0}, 0, 0},
    {"slip, then stick", {200, 1, 0.8, 30, 0, 0, 0.2}, 133, 168},
};

std::vector<int> zones(const orowan::IntegerStepArray& states, int steps, int lastSlip) {
  std::vector<int> expected(steps, 2), actual(steps);
  for (int i = 1; i <= steps; ++i) {
    if (i <= lastSlip) expected[i - 1] = 1;
    actual[i - 1] = states(i);
  }
  EXPECT_EQ(actual, expected);
  return actual;
}

TEST(March, SlipAndStickZones) {
  for (const ZoneCase& c : kZones) {
    SCOPED_TRACE(c.what);
    example::march(c.in);
    zones(rec.EXIT_SL_ST, rec.EXIT_STEPS, c.lastExitSlip);
    zones(rec.ENTRY_SL_ST, rec.ENTRY_STEPS, c.lastEntrySlip);
    // the last step sticks: TAU = RK/2 and W = PI/4
    EXPECT_EQ(rec.TAU.v, rec.RK.v * 0.5f);
    EXPECT_NEAR(rec.W, 0.785, 0.0005);
  }
}

// ---- the end of a march --------------------------------------------------

// A step of a thousandth of the angle would need 1000 steps: the march stops
// at 500, and the exit side keeps the position of its next section.
TEST(March, StopsAtTheHistoryCapacity) {
  example::setUp(example::kExample);
  rec.ANGLE_STEP = rec.CONTACT_ANGLE / 1000.0;
  orowan::marchRollGap(Side::exit, {});
  EXPECT_EQ(rec.EXIT_STEPS, orowan::kHistoryCapacity);
  const orowan::Real next = rec.EXIT_PHI(500) + rec.ANGLE_STEP;
  EXPECT_EQ(rec.PHI.v, next.v);
  EXPECT_EQ(rec.EXIT_X_BEYOND.v, static_cast<float>(100.0 * std::sin(double(next))));
}

TEST(March, ExitSideKeepsThePositionBeyondItsLastStep) {
  example::march(example::kExample);
  // the entry march has moved PHI on; the exit side's next section stays
  const orowan::Real beyond = rec.EXIT_PHI(400) + rec.ANGLE_STEP;
  EXPECT_EQ(rec.EXIT_X_BEYOND.v, static_cast<float>(100.0 * std::sin(double(beyond))));
  EXPECT_GT(rec.EXIT_X_BEYOND, rec.EXIT_X(400));
}

}  // namespace
