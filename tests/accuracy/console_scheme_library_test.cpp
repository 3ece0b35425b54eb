// The console's scheme run in double (solveConsoleScheme) against the
// console's own analysis (solvePass, bit-exact to the console program) on
// the study's reduced grid: the same outcome, the same step counts and
// neutral step, and the loads within single-precision rounding.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "accuracy/converged.h"
#include "accuracy/study_grid.h"

namespace orowan::accuracy {
namespace {

// The console stores every value in single precision (2^-24 = 6e-8 per
// rounding) and sums 400 rectangles: its force drifts from the double sum
// by some 1e-6 at most. 1e-5 leaves room for that and catches any
// difference of scheme, which is 1e-4 and more (one step's share of the
// force is 1/400).
constexpr double kSinglePrecision = 1e-5;

TEST(ConsoleSchemeAgainstLibrary, ReproducesTheConsoleOnTheStudyGrid) {
  int compared = 0;
  for (const StudyPass& p : studyPasses(reducedStudyGrid())) {
    SCOPED_TRACE(describe(p));
    const auto console = std::make_unique<orowan::PassResult>();
    orowan::solvePass(p.console, *console);
    const Solution s = solveConsoleScheme(p.exact);
    ASSERT_NE(console->outcome, orowan::Outcome::fault);
    ASSERT_EQ(console->outcome == orowan::Outcome::neutralPoint, s.status == Status::ok)
        << "the two disagree on the neutral point";
    EXPECT_EQ(s.stepsPerSide, console->exit.steps);
    if (s.status != Status::ok) continue;
    ++compared;
    const double consoleAngle = console->exit.step[console->NEUTRAL_STEP - 1].PHI;
    EXPECT_NEAR(s.neutralAngle, consoleAngle, 1e-6 * s.contactAngle) << "another neutral step";
    EXPECT_NEAR(s.rollingForce, console->ROLLING_FORCE, kSinglePrecision * s.rollingForce);
    EXPECT_NEAR(s.torque, console->G, kSinglePrecision * s.torque);
    EXPECT_NEAR(s.meanPressure, console->PM, kSinglePrecision * s.meanPressure);
  }
  EXPECT_GE(compared, 100);
}

}  // namespace
}  // namespace orowan::accuracy
