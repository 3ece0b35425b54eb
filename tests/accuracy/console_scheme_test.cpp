// The console's scheme run in double against the console program's own
// printed summaries, step counts and table rows.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "accuracy/converged.h"

namespace orowan::accuracy {
namespace {

double degrees(double rad) { return rad * 180.0 / std::numbers::pi; }

// A pass as typed (R, H1, H2, mean yield stress, SGB, SGF, friction) and
// the summary the console program printed for it (build/orowan): XN, ON
// (degrees), neutral F and P, PM, rolling force P, torque G, arm A.
struct Printed {
  PassConditions pass;
  double XN, ON, Fn, Pn, PM, P, G, A;
};

const Printed kPrinted[] = {
    {{100, 2, 1.5, 20, 0, 0, 0.1}, 2.28, 1.31, 13.70, 31.434, 26.25, 185.49, 1.279, 3.447},
    {{200, 6, 4.8, 66.5, 0, 0, 0.1}, 4.73, 1.35, 89.31, 93.599, 82.92, 1283.60, 19.527, 7.606},
    {{200, 1, 0.8, 30, 0, 0, 0.2}, 2.86, .82, 76.85, 118.400, 67.17, 424.74, 2.611, 3.073},
    {{100, 2, 1.5, 20, 0, 0, 1.0}, 3.09, 1.77, 75.91, 65.518, 41.21, 291.22, 1.998, 3.431},
    {{300, 10, 8, 40, 0, 0, 0.15}, 8.88, 1.70, 157.69, 63.302, 52.82, 1292.65, 31.008, 11.994},
    {{300, 10, 8, 40, 5, 3, 0.15}, 7.90, 1.51, 103.43, 57.150, 47.57, 1164.15, 27.603, 11.855},
    {{500, 20, 15, 30, 0, 0, 0.3}, 20.63, 2.36, 615.99, 65.719, 45.96, 2294.90, 111.222, 24.232},
    {{500, 20, 15, 30, 2, 8, 0.3}, 23.25, 2.67, 472.21, 56.409, 40.05, 1999.78, 100.793, 25.201},
    {{250, 5, 3.5, 60, 0, 0, 0.08}, 4.99, 1.14, 69.95, 87.771, 75.21, 1455.43, 27.424, 9.421},
    {{250, 5, 3.5, 60, 10, 10, 0.12}, 6.05, 1.39, 82.28, 90.021, 70.43, 1362.94, 25.421, 9.326},
    {{400, 3, 2.4, 70, 0, 0, 0.05}, 4.73, .68, 47.38, 99.510, 88.04, 1363.60, 20.757, 7.611},
    {{400, 3, 2.4, 70, 0, 20, 0.1}, 7.94, 1.14, 104.23, 119.646, 91.28, 1413.84, 22.776, 8.055},
    {{150, 8, 5, 25, 0, 0, 0.5}, 8.33, 3.18, 261.94, 70.263, 45.04, 953.01, 19.210, 10.079},
    {{350, 0.5, 0.4, 50, 0, 0, 0.1}, 2.66, .44, 65.19, 206.221, 114.73, 678.71, 3.897, 2.871},
    {{350, 12, 9.6, 45, 6, 0, 0.2}, 9.57, 1.57, 250.21, 73.401, 57.56, 1666.79, 45.945, 13.782},
    {{100, 2, 1.5, 20, 0, 15, 0.1}, 6.17, 3.54, 1.49, 23.535, 15.36, 108.52, .913, 4.209},
    {{100, 2, 1.5, 20, 0, 0, 0.04}, .41, .23, .79, 23.495, 22.25, 157.25, 1.108, 3.524},
};

// Half a unit of the printed field's last digit, plus the console's
// single-precision rounding (1e-5 of the value). For the forces of 500 t/m
// and more the half unit (0.005) is itself within 1e-5 of the force.
void expectPrinted(double value, double printed, double halfUnit, const char* field) {
  EXPECT_NEAR(value, printed, halfUnit + 1e-5 * std::fabs(printed)) << field;
}

TEST(ConsoleScheme, ReproducesTheConsolesSummaries) {
  for (const Printed& p : kPrinted) {
    const Solution s = solveConsoleScheme(p.pass);
    SCOPED_TRACE(testing::Message()
                 << "R " << p.pass.R << " H1 " << p.pass.H1 << " U " << p.pass.friction);
    ASSERT_EQ(s.status, Status::ok);
    expectPrinted(s.neutralX, p.XN, 0.005, "XN");
    expectPrinted(degrees(s.neutralAngle), p.ON, 0.005, "ON");
    expectPrinted(s.neutralForce, p.Fn, 0.005, "neutral F");
    expectPrinted(s.neutralPressure, p.Pn, 0.0005, "neutral P");
    expectPrinted(s.meanPressure, p.PM, 0.005, "PM");
    expectPrinted(s.rollingForce, p.P, 0.005, "rolling force");
    expectPrinted(s.torque, p.G, 0.0005, "torque");
    expectPrinted(s.torqueArm, p.A, 0.0005, "torque arm");
  }
}

// The console printed "NO NEUTRAL POINT" for these: too little friction
// (0.02, 0.03) and back tensions of 15 and 20 kgf/mm^2.
TEST(ConsoleScheme, NoNeutralPointWhereTheConsoleFoundNone) {
  for (const PassConditions& pass :
       {PassConditions{100, 2, 1.5, 20, 0, 0, 0.02}, PassConditions{100, 2, 1.5, 20, 0, 0, 0.03},
        PassConditions{100, 2, 1.5, 20, 15, 0, 0.1}, PassConditions{100, 2, 1.5, 20, 20, 0, 0.1}}) {
    EXPECT_EQ(solveConsoleScheme(pass).status, Status::noNeutralPoint)
        << pass.friction << " " << pass.backTension;
  }
}

// The console's step count: 400 for the example pass, 401 for R 200,
// H 1 -> 0.8, decided by the single-precision sum of the angle steps; on
// exact angles the stop rule takes exactly N.
TEST(ConsoleScheme, StepCountsFollowTheAngleSum) {
  struct Case {
    PassConditions pass;
    bool single;
    int steps, expected;
  };
  const Case cases[] = {{{100, 2, 1.5, 20, 0, 0, 0.1}, true, 400, 400},
                        {{200, 1, 0.8, 30, 0, 0, 0.2}, true, 400, 401},
                        {{200, 1, 0.8, 30, 0, 0, 0.2}, false, 400, 400},
                        {{200, 1, 0.8, 30, 0, 0, 0.2}, false, 57, 57}};
  for (const Case& c : cases) {
    const Solution s = solveConsoleScheme(c.pass, {c.steps, c.single, true});
    EXPECT_EQ(s.stepsPerSide, c.expected);
    EXPECT_EQ(static_cast<int>(s.exitSteps.size()), c.expected);
  }
}

// Table rows the console printed for the example pass (friction 0.1):
// first exit-side row P 22.81; step 391 exit F 74.32 P 59.17, entry F 26.78
// P 40.24; first entry-side row X 7.07, P 22.75. By hand at the exit plane
// (F = 0, H = 1.5, RK = 23): A = 2/(5 + sqrt(25 + 4c)) with c = 1 - pi/4
// = 0.2146, so A = 0.19831, W = 1 - c A^2 = 0.99156, P = RK W = 22.806.
TEST(ConsoleScheme, StressTableRowsOfTheExamplePass) {
  const Solution s = solveConsoleScheme({100, 2, 1.5, 20, 0, 0, 0.1}, {400, true, true});
  ASSERT_EQ(s.exitSteps.size(), 400u);
  EXPECT_NEAR(s.exitSteps[0].P, 22.806, 0.0005);
  EXPECT_NEAR(s.exitSteps[390].F, 74.32, 0.005);
  EXPECT_NEAR(s.exitSteps[390].P, 59.17, 0.005);
  EXPECT_NEAR(s.entrySteps[390].F, 26.78, 0.005);
  EXPECT_NEAR(s.entrySteps[390].P, 40.24, 0.005);
  EXPECT_NEAR(s.entrySteps[0].X, 7.07, 0.005);
  EXPECT_NEAR(s.entrySteps[0].P, 22.75, 0.005);
}

// Slip and stick step by step as the console decides them: friction 0.1
// slips everywhere, 1.0 sticks everywhere; R 200, H 1 -> 0.8, yield 30,
// friction 0.2 slips at exit steps 1-133 and entry steps 1-168, then sticks.
TEST(ConsoleScheme, SlipAndStickStepsAsTheConsole) {
  struct Case {
    PassConditions pass;
    int exitSlipSteps, entrySlipSteps;
  };
  const Case cases[] = {{{100, 2, 1.5, 20, 0, 0, 0.1}, 400, 400},
                        {{100, 2, 1.5, 20, 0, 0, 1.0}, 0, 0},
                        {{200, 1, 0.8, 30, 0, 0, 0.2}, 133, 168}};
  for (const Case& c : cases) {
    const Solution s = solveConsoleScheme(c.pass, {400, true, true});
    const auto slipping = [](const std::vector<StepRecord>& steps) {
      int n = 0;
      while (n < static_cast<int>(steps.size()) && steps[n].slipStick == 1) ++n;
      for (size_t j = n; j < steps.size(); ++j)
        EXPECT_EQ(steps[j].slipStick, 2) << "step " << j + 1;
      return n;
    };
    EXPECT_EQ(slipping(s.exitSteps), c.exitSlipSteps);
    EXPECT_EQ(slipping(s.entrySteps), c.entrySlipSteps);
  }
}

}  // namespace
}  // namespace orowan::accuracy
