// The converged solver against the independent Boost.Odeint solution of
// the same equations: 1 part in 10^6 on force and torque, over passes of
// every kind of contact, with tensions and thin strip.
#include "accuracy/odeint_check.h"

#include <gtest/gtest.h>

#include <cmath>

#include "accuracy/converged.h"
#include "accuracy/study_grid.h"

namespace orowan::accuracy {
namespace {

enum class Kind { slip, stick, mixed };

struct Case {
  PassConditions pass;  // R, H1, H2, yield, SGB, SGF, friction
  Kind kind;            // contact at every section of both marches
  const char* what;
};

const Case kCases[] = {
    {{100, 2, 1.5, 20, 0, 0, 0.1}, Kind::slip, "example pass"},
    {{200, 6, 4.8, 66.5, 0, 0, 0.1}, Kind::slip, "textbook pass"},
    {{100, 2, 1.5, 20, 0, 0, 0.04}, Kind::slip, "neutral point near the exit"},
    {{400, 3, 2.4, 70, 0, 0, 0.05}, Kind::slip, "low friction"},
    {{250, 5, 3.5, 60, 0, 0, 0.08}, Kind::slip, "30 % reduction"},
    {{300, 10, 8, 40, 0, 0, 0.15}, Kind::slip, "thick strip"},
    {{100, 2, 1.5, 20, 0, 0, 1.0}, Kind::stick, "sticking everywhere"},
    {{150, 8, 5, 25, 0, 0, 1.5}, Kind::stick, "heavy pass, sticking"},
    {{300, 20, 16, 15, 0, 0, 0.8}, Kind::stick, "hot pass, sticking"},
    {{200, 1, 0.8, 30, 0, 0, 0.2}, Kind::mixed, "slip then stick, thin"},
    {{500, 20, 15, 30, 0, 0, 0.3}, Kind::mixed, "slip then stick, thick"},
    {{150, 8, 5, 25, 0, 0, 0.5}, Kind::mixed, "40 % reduction"},
    {{350, 0.5, 0.4, 50, 0, 0, 0.1}, Kind::mixed, "thin strip"},
    {{200, 0.2, 0.15, 30, 0, 0, 0.1}, Kind::mixed, "foil"},
    {{100, 2, 1.5, 20, 5, 3, 0.1}, Kind::slip, "both tensions"},
    {{100, 2, 1.5, 20, 0, 15, 0.1}, Kind::slip, "high front tension"},
    {{300, 10, 8, 40, 5, 3, 0.15}, Kind::slip, "tensions, thick strip"},
    {{250, 5, 3.5, 60, 10, 10, 0.12}, Kind::slip, "equal tensions"},
    {{400, 3, 2.4, 70, 0, 20, 0.1}, Kind::slip, "front tension only"},
    {{350, 12, 9.6, 45, 6, 0, 0.2}, Kind::mixed, "back tension, slip then stick"},
    {{500, 20, 15, 30, 2, 8, 0.3}, Kind::mixed, "tensions, slip then stick"},
    {{200, 1, 0.8, 30, 3, 6, 1.0}, Kind::stick, "tensions, sticking"},
    {{350, 0.3, 0.25, 60, 10, 15, 0.08}, Kind::mixed, "thin strip with tensions"},
};

Kind kindOf(const Solution& s) {
  int slip = 0, all = 0;
  for (const auto* steps : {&s.exitSteps, &s.entrySteps}) {
    for (const StepRecord& r : *steps) slip += r.slipStick == 1, ++all;
  }
  return slip == all ? Kind::slip : slip == 0 ? Kind::stick : Kind::mixed;
}

TEST(OdeintCheck, ConvergedAgreesToOnePartInAMillion) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    const Solution converged = solveConverged(c.pass, {.keepSteps = true});
    const Solution odeint = solveWithOdeint(c.pass);
    ASSERT_EQ(converged.status, Status::ok);
    ASSERT_EQ(odeint.status, Status::ok);
    EXPECT_EQ(kindOf(converged), c.kind);
    EXPECT_NEAR(converged.rollingForce, odeint.rollingForce, 1e-6 * odeint.rollingForce);
    EXPECT_NEAR(converged.torque, odeint.torque, 1e-6 * odeint.torque);
    EXPECT_NEAR(converged.neutralAngle, odeint.neutralAngle, 1e-6 * odeint.contactAngle);
    EXPECT_NEAR(converged.neutralForce, odeint.neutralForce, 1e-6 * std::fabs(odeint.rollingForce));
  }
}

// Every fifth pass of the study's reduced grid that has a neutral point:
// slip, slip then stick, tensions and thin strip (R/H1 200 and 1000) with
// tensions, R/H1 from 10, reductions from 5 to 50 %, friction 0.03 to 0.4.
TEST(OdeintCheck, AgreesOnPassesOfTheStudyGrid) {
  int compared = 0, slip = 0, sticking = 0, tensioned = 0, thinTensioned = 0, candidate = 0;
  for (const StudyPass& p : studyPasses(reducedStudyGrid())) {
    const Solution converged = solveConverged(p.exact, {.keepSteps = true});
    if (converged.status != Status::ok || candidate++ % 5 != 0) continue;
    SCOPED_TRACE(describe(p));
    const Solution odeint = solveWithOdeint(p.exact);
    ASSERT_EQ(odeint.status, Status::ok);
    EXPECT_NEAR(converged.rollingForce, odeint.rollingForce, 1e-6 * odeint.rollingForce);
    EXPECT_NEAR(converged.torque, odeint.torque, 1e-6 * odeint.torque);
    EXPECT_NEAR(converged.neutralAngle, odeint.neutralAngle, 1e-6 * odeint.contactAngle);
    const bool hasTension = p.tension.back > 0 || p.tension.front > 0;
    ++compared;
    slip += kindOf(converged) == Kind::slip;
    sticking += kindOf(converged) != Kind::slip;
    tensioned += hasTension;
    thinTensioned += hasTension && p.radiusRatio >= 200;
  }
  EXPECT_GE(compared, 20);
  EXPECT_GE(slip, 5);
  EXPECT_GE(sticking, 5);
  EXPECT_GE(tensioned, 5);
  EXPECT_GE(thinTensioned, 3);
}

// Both find no crossing where the entry curve stays below (friction 0.02)
// or the back tension pulls it under the exit curve at the exit plane.
TEST(OdeintCheck, AgreesThatThereIsNoNeutralPoint) {
  for (const PassConditions& pass :
       {PassConditions{100, 2, 1.5, 20, 0, 0, 0.02}, PassConditions{100, 2, 1.5, 20, 20, 0, 0.1}}) {
    EXPECT_EQ(solveWithOdeint(pass).status, Status::noNeutralPoint);
    EXPECT_EQ(solveConverged(pass).status, Status::noNeutralPoint);
  }
}

}  // namespace
}  // namespace orowan::accuracy
