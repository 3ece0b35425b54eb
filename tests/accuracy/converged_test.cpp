// The converged solver: faults as values, the refinement loop and its cap,
// the per-step values and where slip turns to stick.
#include "accuracy/converged.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace orowan::accuracy {
namespace {

const PassConditions kExample{100, 2, 1.5, 20, 0, 0, 0.1};

// Inputs the console ends with a run-time error; here each is a fault
// value of the kind the arithmetic would raise.
TEST(Converged, FaultsAreValues) {
  struct Case {
    PassConditions pass;
    FaultKind kind;
  };
  const Case cases[] = {
      {{100, 2, 1.5, 20, 0, 0, 0}, FaultKind::divideByZero},   // friction 0: 1/(2U)
      {{100, 2, 1.5, 0, 0, 0, 0.1}, FaultKind::divideByZero},  // yield 0: F/(H RK)
      {{100, 2, 2.5, 20, 0, 0, 0.1}, FaultKind::domain},       // H2 > H1: sqrt of R dh - dh^2/4 < 0
      {{100, 2, 2, 20, 0, 0, 0.1}, FaultKind::divideByZero},   // no reduction: contact length 0
      {{1, 3, 1, 20, 0, 0, 0.1}, FaultKind::divideByZero},     // dh = 2R: atan(XL / 0)
      {{1, 4, 1, 20, 0, 0, 0.1}, FaultKind::domain},           // dh = 3R: beyond the quarter circle
      {{100, 2, 0, 20, 0, 0, 0.1}, FaultKind::divideByZero},   // H2 = 0: F/H at the exit plane
      // front tension 700 > 30 RK: 1/(4U^2) + 4 c B = 25 + 0.858 (1 - 700/23) < 0
      {{100, 2, 1.5, 20, 0, 700, 0.1}, FaultKind::domain},
  };
  for (const Case& c : cases) {
    for (const Solution& s : {solveConverged(c.pass), solveConsoleScheme(c.pass)}) {
      EXPECT_EQ(s.status, Status::fault) << c.pass.R << " " << c.pass.H1 << " " << c.pass.H2;
      EXPECT_EQ(s.fault.kind, c.kind) << s.fault.where;
      EXPECT_GT(std::strlen(s.fault.where), 0u);
    }
  }
}

// The answer of the refinement is within its tolerance of a much finer
// grid, from whatever grid it starts.
TEST(Converged, AnswerIsWithinItsToleranceOfAFinerGrid) {
  for (const PassConditions& pass : {kExample, PassConditions{200, 1, 0.8, 30, 0, 0, 0.2}}) {
    const Solution fine = solveFixedSteps(pass, 6400);
    for (int start : {4, 50, 400}) {
      const Solution s = solveConverged(pass, {.startSteps = start});
      ASSERT_EQ(s.status, Status::ok);
      EXPECT_GE(s.stepsPerSide, 2 * start);
      EXPECT_NEAR(s.rollingForce, fine.rollingForce, 1e-7 * fine.rollingForce) << start;
      EXPECT_NEAR(s.torque, fine.torque, 1e-7 * fine.torque) << start;
      EXPECT_NEAR(s.neutralAngle, fine.neutralAngle, 1e-7 * fine.contactAngle) << start;
    }
  }
}

// A tolerance no grid meets: the cap ends the doubling with the last grid's
// answer, marked not converged.
TEST(Converged, CapReportsNotConverged) {
  const Solution s =
      solveConverged(kExample, {.startSteps = 100, .maxSteps = 1600, .tolerance = 0.0});
  EXPECT_EQ(s.status, Status::notConverged);
  EXPECT_EQ(s.stepsPerSide, 1600);
  EXPECT_NEAR(s.rollingForce, solveFixedSteps(kExample, 1600).rollingForce, 1e-12 * s.rollingForce);
}

// Too little friction (0.02) or a back tension of 15 kgf/mm^2 leaves the
// entry-side force curve below the exit side's at the exit plane.
TEST(Converged, NoNeutralPoint) {
  for (const PassConditions& pass :
       {PassConditions{100, 2, 1.5, 20, 0, 0, 0.02}, PassConditions{100, 2, 1.5, 20, 15, 0, 0.1}}) {
    const Solution s = solveConverged(pass);
    EXPECT_EQ(s.status, Status::noNeutralPoint);
    EXPECT_GT(s.contactLength, 0.0);
  }
}

// The nodes of both marches: N + 1 each, from their own plane, starting
// with the plane's force -H x tension; the contact geometry of the ends.
TEST(Converged, StepValuesRunFromEachPlane) {
  const PassConditions pass{300, 10, 8, 40, 5, 3, 0.15};
  const Solution s = solveFixedSteps(pass, 200, true);
  ASSERT_EQ(s.exitSteps.size(), 201u);
  ASSERT_EQ(s.entrySteps.size(), 201u);
  EXPECT_DOUBLE_EQ(s.exitSteps.front().F, -8.0 * 3.0);
  EXPECT_DOUBLE_EQ(s.entrySteps.front().F, -10.0 * 5.0);
  EXPECT_DOUBLE_EQ(s.exitSteps.front().phi, 0.0);
  EXPECT_DOUBLE_EQ(s.entrySteps.front().phi, s.contactAngle);
  EXPECT_NEAR(s.entrySteps.front().X, s.contactLength, 1e-9);
  EXPECT_DOUBLE_EQ(s.exitSteps.back().phi, s.contactAngle);
  EXPECT_DOUBLE_EQ(s.entrySteps.back().phi, 0.0);
  // The entry curve lies above the exit curve at the exit plane and below
  // it at the entry plane: they cross at the neutral point in between.
  EXPECT_GT(s.entrySteps.back().F, s.exitSteps.front().F);
  EXPECT_LT(s.entrySteps.front().F, s.exitSteps.back().F);
  EXPECT_GT(s.neutralAngle, 0.0);
  EXPECT_LT(s.neutralAngle, s.contactAngle);
}

// R 200, H 1 -> 0.8, yield 30, friction 0.2: the console turns from slip to
// stick at exit step 134 and entry step 169 of 401 (phi = 133 and 168
// steps from the plane). The converged marches turn within two nodes of
// that: the console's force differs from the converged one by its
// first-order error (0.14 % here), which moves A = 1 by less than a
// step of the 400.
TEST(Converged, SlipTurnsToStickWhereTheConsoleTurns) {
  const PassConditions pass{200, 1, 0.8, 30, 0, 0, 0.2};
  const Solution s = solveFixedSteps(pass, 400, true);
  const auto slipNodes = [](const std::vector<StepRecord>& steps) {
    int n = 0;
    while (steps[n].slipStick == 1) ++n;
    for (size_t j = n; j < steps.size(); ++j) EXPECT_EQ(steps[j].slipStick, 2);
    return n;
  };
  EXPECT_NEAR(slipNodes(s.exitSteps), 133, 2);
  EXPECT_NEAR(slipNodes(s.entrySteps), 168, 2);
}

}  // namespace
}  // namespace orowan::accuracy
