// Fitting a pass to measured values: inputs recovered from forces and
// slips made by the forward solve with known inputs, and targets no input
// reaches. The force of the console's scheme jumps by some tenths of a
// per cent between neighbouring inputs, so a fitted force is checked
// against the jump at the answer, and the input against what that jump
// allows through the force's sensitivity to it.
#include "passes/fit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "passes/solve.h"

namespace {

using orowan::PassInput;
using orowan::PassResult;
using namespace orowan::passes;

// The largest jump the fit may end on (relative): the step count flips
// between 400 and 401 or the neutral step moves by one.
constexpr double kJump = 5e-3;

Request request(float R, float H1, float H2, float Y, float SGB, float SGF, float U) {
  Request r;
  r.input.R = R, r.input.H1 = H1, r.input.H2 = H2, r.input.meanYieldStress = Y;
  r.input.SGB = SGB, r.input.SGF = SGF, r.input.friction = U;
  return r;
}

struct Solved {
  std::unique_ptr<PassResult> scratch = std::make_unique<PassResult>();
  Answer answer;
  double force() const { return answer.summary.rollingForce; }
  double slip() const { return answer.values.FORWARD_SLIP; }
};

std::unique_ptr<Solved> solved(const Request& r) {
  auto s = std::make_unique<Solved>();
  solveRequest(r, s->answer, *s->scratch);
  return s;
}

// d ln F / d ln x by central differences of 5 %, across many jumps.
double sensitivity(Request r, float PassInput::*input) {
  const float x = r.input.*input;
  r.input.*input = x * 1.05f;
  const double up = solved(r)->force();
  r.input.*input = x * 0.95f;
  const double down = solved(r)->force();
  return std::log(up / down) / std::log(1.05 / 0.95);
}

struct Pass {
  const char* name;
  Request r;
};

const Pass kPasses[] = {
    {"cold strip", request(100, 2, 1.5f, 20, 0, 0, 0.1f)},
    {"with tensions", request(250, 3, 2.4f, 30, 5, 8, 0.1f)},
    {"light pass", request(300, 1, 0.9f, 40, 2, 2, 0.1f)},
};

TEST(FitPass, FrictionFromTheForceItGave) {
  for (const Pass& p : kPasses) {
    for (const float u : {0.06f, 0.12f, 0.25f}) {
      SCOPED_TRACE(std::string(p.name) + " U " + std::to_string(u));
      Request truth = p.r;
      truth.input.friction = u;
      const double target = solved(truth)->force();
      const double e = sensitivity(truth, &PassInput::friction);
      Request start = p.r;  // starts at U 0.1
      FitGoal goal;
      goal.force = target;
      auto s = std::make_unique<Solved>();
      const FitOutcome o = fitPass(start, goal, s->answer, *s->scratch);
      ASSERT_TRUE(o.status == FitStatus::met || o.status == FitStatus::jump);
      EXPECT_LE(std::fabs(s->force() - target) / target, o.status == FitStatus::met ? 1e-6 : kJump);
      EXPECT_DOUBLE_EQ(o.forceMiss, (s->force() - target) / target);
      // |dU/U| <= |dF/F| / e, with dF/F at most a jump either side.
      EXPECT_LE(std::fabs(o.U - u) / u, 2 * kJump / e) << "sensitivity " << e;
      EXPECT_GT(o.solves, 2);
    }
  }
}

TEST(FitPass, FactorAndFrictionFromForceAndSlip) {
  struct Case {
    const char* name;
    Request r;
    float u;
    double factor;
  };
  const Case cases[] = {
      {"cold strip", request(100, 2, 1.5f, 20, 0, 0, 0.1f), 0.15f, 1.2},
      {"with tensions", request(250, 3, 2.4f, 30, 5, 8, 0.1f), 0.08f, 0.9},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Request truth = c.r;
    truth.input.friction = c.u;
    truth.input.meanYieldStress = float(double(c.r.input.meanYieldStress) * c.factor);
    const auto t = solved(truth);
    FitGoal goal;
    goal.target = FitTarget::frictionAndFactor;
    goal.force = t->force();
    goal.forwardSlip = t->slip();
    auto s = std::make_unique<Solved>();
    const FitOutcome o = fitPass(c.r, goal, s->answer, *s->scratch);
    ASSERT_TRUE(o.status == FitStatus::met || o.status == FitStatus::jump);
    EXPECT_LE(std::fabs(o.forceMiss), kJump);
    // The slip moves with the neutral step (1/400 of the arc): a few per
    // cent of a small slip is one step.
    EXPECT_LE(std::fabs(o.slipMiss), 0.05);
    EXPECT_NEAR(o.U, c.u, 0.1 * c.u);
    EXPECT_NEAR(o.factor, c.factor, 0.02 * c.factor);
  }
}

TEST(FitPass, ExitThicknessForAForce) {
  for (const Pass& p : kPasses) {
    SCOPED_TRACE(p.name);
    Request truth = p.r;
    truth.input.H2 = float(p.r.input.H2 - 0.05 * (p.r.input.H1 - p.r.input.H2));
    const double target = solved(truth)->force();
    FitGoal goal;
    goal.target = FitTarget::exitThickness;
    goal.force = target;
    auto s = std::make_unique<Solved>();
    const FitOutcome o = fitPass(p.r, goal, s->answer, *s->scratch);
    ASSERT_TRUE(o.status == FitStatus::met || o.status == FitStatus::jump);
    EXPECT_LE(std::fabs(s->force() - target) / target, kJump);
    EXPECT_LT(o.H2, p.r.input.H1);
    EXPECT_NEAR(o.H2, truth.input.H2, 0.05 * (p.r.input.H1 - truth.input.H2));
  }
}

TEST(FitPass, TargetsOutOfReachSayWhereTheRangeIs) {
  struct Case {
    const char* name;
    FitTarget target;
    double force, slip;
    FitStatus status;
    bool slipOut;
  };
  const Request r = kPasses[0].r;
  const double f = solved(r)->force();
  const Case cases[] = {
      {"force below any friction's", FitTarget::friction, 0.2 * f, NAN, FitStatus::belowRange, false},
      {"force above any friction's", FitTarget::friction, 50 * f, NAN, FitStatus::aboveRange, false},
      {"slip above any friction's", FitTarget::frictionAndFactor, f, 0.9, FitStatus::aboveRange, true},
      {"force from no exit thickness", FitTarget::exitThickness, 1e4 * f, NAN, FitStatus::aboveRange, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FitGoal goal;
    goal.target = c.target;
    goal.force = c.force;
    goal.forwardSlip = c.slip;
    auto s = std::make_unique<Solved>();
    const FitOutcome o = fitPass(r, goal, s->answer, *s->scratch);
    EXPECT_EQ(o.status, c.status);
    EXPECT_EQ(o.slipOutOfRange, c.slipOut);
    const double wanted = c.slipOut ? c.slip : c.force;
    EXPECT_LT(o.rangeLow, o.rangeHigh);
    if (c.status == FitStatus::belowRange) {
      EXPECT_GT(o.rangeLow, wanted);
    } else {
      EXPECT_LT(o.rangeHigh, wanted);
    }
  }
}

TEST(FitPass, RefusesWhatCannotBeFitted) {
  orowan::PropertyPoints table;
  table.count = 1, table.positions[0] = 0, table.values[0] = 0.1f;
  Request tabled = kPasses[0].r;
  tabled.frictionTable = &table;
  struct Case {
    const char* name;
    Request r;
    FitTarget target;
    double force, slip;
  };
  const Case cases[] = {
      {"friction table", tabled, FitTarget::friction, 50, NAN},
      {"no force", kPasses[0].r, FitTarget::friction, NAN, NAN},
      {"negative force", kPasses[0].r, FitTarget::flowFactor, -3, NAN},
      {"no slip for two inputs", kPasses[0].r, FitTarget::frictionAndFactor, 50, NAN},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FitGoal goal;
    goal.target = c.target, goal.force = c.force, goal.forwardSlip = c.slip;
    auto s = std::make_unique<Solved>();
    const FitOutcome o = fitPass(c.r, goal, s->answer, *s->scratch);
    EXPECT_EQ(o.status, FitStatus::refused);
    EXPECT_STRNE(o.why, "");
  }
}

TEST(FitPass, FlowFactorScalesTheForceOfAPassWithoutTensions) {
  // Without tensions every stress of the pass scales with the yield
  // stress, so the factor for k times the force is k (to the jump).
  const Request r = kPasses[0].r;
  const double f = solved(r)->force();
  for (const double k : {0.7, 1.0, 1.6}) {
    FitGoal goal;
    goal.target = FitTarget::flowFactor;
    goal.force = k * f;
    auto s = std::make_unique<Solved>();
    const FitOutcome o = fitPass(r, goal, s->answer, *s->scratch);
    ASSERT_TRUE(o.status == FitStatus::met || o.status == FitStatus::jump);
    EXPECT_NEAR(o.factor, k, kJump * k);
    EXPECT_EQ(o.U, double(r.input.friction));
  }
}

}  // namespace
