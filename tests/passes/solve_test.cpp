// One pass around the analysis: what each kind of request comes back as,
// against the library call itself and formulas worked out here.
#include "passes/solve.h"

#include <gtest/gtest.h>

#include "solved_pass.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <memory>

namespace {

using orowan::PassInput;
using orowan::PassResult;
using orowan::PropertyPoints;
using namespace orowan::passes;

std::uint32_t bitsOf(float x) { return std::bit_cast<std::uint32_t>(x); }

PassInput pass(float R, float H1, float H2, float Y, float SGF, float U) {
  PassInput in;
  in.R = R, in.H1 = H1, in.H2 = H2, in.meanYieldStress = Y, in.SGF = SGF, in.friction = U;
  return in;
}

const PassInput kExample = pass(100, 2, 1.5f, 20, 0, 0.1f);

using passtest::solve;

Request requestOf(const PassInput& in) {
  Request r;
  r.input = in;
  return r;
}

// The console's pass is the library call's, value for value; the summary
// holds its single values widened.
TEST(SolveRequest, ConsoleEndingsAreTheLibraryCallsOwn) {
  struct Case {
    PassInput in;
    Status status;
  };
  const Case cases[] = {
      {kExample, Status::ok},
      {pass(100, 2, 1.5f, 20, 0, 0), Status::fault},            // no friction: 1/(2U) divides by zero
      {pass(100, 1.5f, 2, 20, 0, 0.1f), Status::fault},         // thicker after: sqrt of a negative
      {pass(100, 2, 1.5f, 20, 30, 0.1f), Status::noNeutralPoint},  // front tension beyond the yield stress
  };
  for (const Case& c : cases) {
    const auto s = solve(requestOf(c.in));
    auto direct = std::make_unique<PassResult>();
    orowan::solvePass(c.in, *direct);
    const Answer& a = s->answer;
    EXPECT_EQ(a.status, c.status);
    ASSERT_EQ(a.pass, s->scratch.get());
    EXPECT_EQ(a.stepsPerSide, direct->exit.steps);
    if (c.status == Status::fault) {
      EXPECT_EQ(a.fault.number, direct->fault.number);
      EXPECT_STREQ(a.fault.message, direct->fault.message);
      EXPECT_TRUE(std::isnan(a.summary.rollingForce));
      continue;
    }
    EXPECT_EQ(bitsOf(float(a.summary.contactLength)), bitsOf(direct->XL));
    EXPECT_EQ(float(a.summary.contactLength), a.summary.contactLength);  // a single value, widened
    if (c.status == Status::ok) {
      EXPECT_EQ(bitsOf(float(a.summary.rollingForce)), bitsOf(direct->ROLLING_FORCE));
      EXPECT_EQ(a.neutralStep, direct->NEUTRAL_STEP);
    } else {
      EXPECT_TRUE(std::isnan(a.summary.rollingForce));
    }
  }
}

// The strain out is strainIn + (2/sqrt 3) ln(H1/H2), rounded once; the
// plane stresses of a constant yield stress are the typed one.
TEST(SolveRequest, StrainAndPlaneStressesOfAConstantPass) {
  Request r = requestOf(kExample);
  r.strainIn = 0.25;
  const auto s = solve(r);
  const float want = static_cast<float>(0.25 + 2.0 / std::sqrt(3.0) * std::log(2.0 / 1.5));
  EXPECT_TRUE(s->answer.strainKnown);
  EXPECT_EQ(bitsOf(s->answer.values.EPS_OUT), bitsOf(want));
  EXPECT_EQ(s->answer.values.Y_ENTRY, 20.0f);
  EXPECT_EQ(s->answer.values.Y_MEAN, 20.0f);
  r.input = pass(100, 1.5f, 2, 20, 0, 0.1f);  // no strain out of a pass that thickens
  EXPECT_FALSE(solve(r)->answer.strainKnown);
}

// Speeds by constant volume through the neutral section, power from the
// torque and the roll's own angular speed.
TEST(SolveRequest, MillValuesWithARollSpeed) {
  Request r = requestOf(kExample);
  r.rollSpeed = 300;
  const auto s = solve(r);
  const PassValues& v = s->answer.values;
  const orowan::StepValues& n = s->scratch->exit.step[s->scratch->NEUTRAL_STEP - 1];
  EXPECT_EQ(bitsOf(v.FORWARD_SLIP), bitsOf(static_cast<float>((double(n.H) - 1.5) / 1.5)));
  EXPECT_NEAR(v.V_EXIT * 1.5, v.V_ENTRY * 2.0, 1e-4);
  const double power = double(s->scratch->G) * 9.80665 * (300.0 / 60.0) / (100.0 / 1000.0);
  EXPECT_EQ(bitsOf(v.POWER), bitsOf(static_cast<float>(power)));
}

// Rolls that hardly yield leave the pass as it is; rolls that yield
// without end give no radius and nothing of a pass.
TEST(SolveRequest, FlatteningSettlesOrFindsNoRadius) {
  Request stiff = requestOf(kExample);
  stiff.flatten = true;
  stiff.rolls = {1e30, kDefaultPoissonRatio};
  const auto s = solve(stiff);
  auto direct = std::make_unique<PassResult>();
  orowan::solvePass(kExample, *direct);
  EXPECT_EQ(s->answer.status, Status::ok);
  EXPECT_EQ(s->answer.flattening.status, FlatteningStatus::settled);
  EXPECT_EQ(s->answer.values.R_FLAT, 100.0f);
  EXPECT_EQ(bitsOf(float(s->answer.summary.rollingForce)), bitsOf(direct->ROLLING_FORCE));

  Request soft = stiff;
  soft.rolls = {1e-30, kDefaultPoissonRatio};
  const auto none = solve(soft);
  EXPECT_EQ(none->answer.status, Status::noFlattenedRadius);
  EXPECT_EQ(none->answer.flattening.status, FlatteningStatus::belowMinimumGauge);
  EXPECT_EQ(none->answer.pass, nullptr);
  EXPECT_FALSE(isPass(none->answer));
  EXPECT_TRUE(std::isnan(none->answer.summary.rollingForce));
}

// A table of 50 points whose last position lies inside the arc: refused,
// with where it ends and the arc's length.
TEST(SolveRequest, AFullTableMustReachPastTheEntryPlane) {
  PropertyPoints short_;
  short_.count = orowan::kMaxTablePoints;
  for (int k = 0; k < short_.count; ++k) short_.positions[k] = 0.1f * k, short_.values[k] = 0.1f;
  for (const bool yield : {false, true}) {
    Request r = requestOf(kExample);
    if (yield) {
      for (float& v : short_.values) v = 23;  // RK of a yield stress of 20
      r.yieldTable = &short_;
    } else {
      r.frictionTable = &short_;
    }
    const auto s = solve(r);
    EXPECT_EQ(s->answer.status, Status::refused);
    EXPECT_EQ(s->answer.refusal, yield ? Refusal::yieldTableShort : Refusal::frictionTableShort);
    EXPECT_EQ(s->answer.tableEnd, short_.positions[49]);
    EXPECT_EQ(s->answer.tableXL, s->scratch->XL);
  }
}

// What a request cannot be solved as, by kind.
TEST(SolveRequest, RefusalsByKind) {
  PropertyPoints table;
  table.count = 1, table.positions[0] = 0, table.values[0] = 0.1f;
  Request hollomon = requestOf(kExample);
  hollomon.hasCurve = true;
  hollomon.curve = {FlowCurve::Kind::swift, 55, 0.22, 0, 0};  // zero stress at zero strain
  Request unknownStrain = hollomon;
  unknownStrain.curve.EPS0 = 0.01;
  unknownStrain.strainKnown = false;
  Request convergedCurve = hollomon;
  convergedCurve.solver = Solver::converged;
  convergedCurve.curve.EPS0 = 0.01;
  Request convergedTable = requestOf(kExample);
  convergedTable.solver = Solver::converged;
  convergedTable.frictionTable = &table;
  Request convergedFlat = requestOf(kExample);
  convergedFlat.solver = Solver::converged;
  convergedFlat.flatten = true;
  Request convergedSpeed = requestOf(kExample);
  convergedSpeed.solver = Solver::converged;
  convergedSpeed.rollSpeed = 100;
  const std::pair<const Request*, Refusal> cases[] = {
      {&hollomon, Refusal::curveZeroStress},          {&unknownStrain, Refusal::curveWithoutStrain},
      {&convergedCurve, Refusal::convergedConstants}, {&convergedTable, Refusal::convergedConstants},
      {&convergedFlat, Refusal::convergedConstants},  {&convergedSpeed, Refusal::convergedConstants},
  };
  for (const auto& [request, why] : cases) {
    const auto s = solve(*request);
    EXPECT_EQ(s->answer.status, Status::refused);
    EXPECT_EQ(s->answer.refusal, why);
    EXPECT_FALSE(isPass(s->answer));
  }
}

// The converged solver's answer: its doubles, a neutral point near the
// console's, angles in degrees, its grid.
TEST(SolveRequest, ConvergedAnswerOfTheExample) {
  Request r = requestOf(kExample);
  r.solver = Solver::converged;
  const auto s = solve(r);
  EXPECT_EQ(s->answer.status, Status::ok);
  EXPECT_EQ(s->answer.pass, nullptr);
  EXPECT_GE(s->answer.stepsPerSide, 400);
  EXPECT_NEAR(s->answer.summary.rollingForce, 185.49, 0.5);  // the console's 185.49 within its 0.3 %
  const double contactAngle = std::acos(1 - 0.5 / (2 * 100.0)) * 180.0 / 3.14159265358979323846;
  EXPECT_NEAR(s->answer.summary.contactAngle, contactAngle, 1e-9);
}

TEST(HoldLastValue, AddsThePointBeyondAnyArcWhenThereIsRoom) {
  PropertyPoints t;
  t.count = 2, t.positions[0] = 0, t.positions[1] = 5, t.values[0] = 0.1f, t.values[1] = 0.2f;
  holdLastValue(t);
  ASSERT_EQ(t.count, 3);
  EXPECT_EQ(t.positions[2], orowan::kTableEnd);
  EXPECT_EQ(t.values[2], 0.2f);
  holdLastValue(t);  // already reaches it
  EXPECT_EQ(t.count, 3);
  t.count = orowan::kMaxTablePoints;  // full: no room
  holdLastValue(t);
  EXPECT_EQ(t.count, orowan::kMaxTablePoints);
}

}  // namespace
