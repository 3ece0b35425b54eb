// The bracketed root finder: met targets, jumps, targets out of range,
// inputs where there is no result, and a pass's friction for a force.
#include "passes/root_finder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "analysis/pass.h"

namespace {

using orowan::passes::findRoot;
using orowan::passes::RootOptions;
using orowan::passes::RootStatus;

struct Function {
  const char* name;
  std::function<std::optional<double>(double)> f;
  double target, lo, hi;
  RootStatus status;
  double x;  // the answer's input, within 1e-6 relative (NaN: not checked)
};

TEST(FindRoot, EndsAsTheFunctionAllows) {
  const auto cube = [](double x) -> std::optional<double> { return x * x * x; };
  const auto falling = [](double x) -> std::optional<double> { return 10 - x; };
  // A jump of 0.01 at 1.5: 1.505 lies inside it.
  const auto jumping = [](double x) -> std::optional<double> { return x + (x > 1.5 ? 0.01 : 0.0); };
  const auto holed = [](double x) -> std::optional<double> {
    if (x > 4) return std::nullopt;
    return x;
  };
  const Function cases[] = {
      {"cube", cube, 8, 0, 5, RootStatus::met, 2},
      {"falling", falling, 3, 0, 20, RootStatus::met, 7},
      {"jump", jumping, 1.505, 0, 3, RootStatus::jump, NAN},
      {"above", cube, 200, 0, 5, RootStatus::aboveRange, NAN},
      {"below", falling, -20, 0, 20, RootStatus::belowRange, NAN},
      {"hole at an end", holed, 3, 0, 5, RootStatus::failed, NAN},
  };
  for (const Function& c : cases) {
    const auto r = findRoot(c.f, c.target, c.lo, c.hi);
    EXPECT_EQ(r.status, c.status) << c.name;
    if (!std::isnan(c.x)) {
      EXPECT_NEAR(r.x, c.x, 1e-6 * c.x) << c.name;
    }
    if (c.status == RootStatus::met) {
      EXPECT_LE(std::fabs(r.value - c.target), 1e-6 * std::fabs(c.target)) << c.name;
    }
  }
}

// On a jump the answer is the nearer side, the two sides neighbouring
// single values, and f was called last at the answer.
TEST(FindRoot, AJumpEndsOnNeighbouringSingleValues) {
  double lastCall = NAN;
  const auto f = [&](double x) -> std::optional<double> {
    lastCall = x;
    return x + (x > 1.5 ? 0.01 : 0.0);
  };
  const auto r = findRoot(f, 1.506, 0, 3);
  ASSERT_EQ(r.status, RootStatus::jump);
  EXPECT_EQ(r.x, lastCall);
  const float above = std::nextafter(1.5f, 2.0f);
  EXPECT_EQ(r.x, double(above));  // 1.5 + ulp + 0.01 is nearer 1.506 than 1.5 is
  EXPECT_NEAR(r.value, 1.51, 1e-6);
  EXPECT_EQ(static_cast<float>(r.x), r.x);  // a single value
}

TEST(FindRoot, TheRangeOfAnUnreachableTarget) {
  const auto f = [](double x) -> std::optional<double> { return 2 * x + 1; };
  const auto r = findRoot(f, 50, 0, 10);
  EXPECT_EQ(r.status, RootStatus::aboveRange);
  EXPECT_EQ(r.rangeLow, 1);
  EXPECT_EQ(r.rangeHigh, 21);
}

// The friction of the example pass that gives a rolling force of 200 t/m
// (185.49 at 0.1): met, or a jump no wider than the force's own jumps.
TEST(FindRoot, TheFrictionForAForce) {
  auto result = std::make_unique<orowan::PassResult>();
  orowan::PassInput in;
  in.R = 100, in.H1 = 2, in.H2 = 1.5f, in.meanYieldStress = 20;
  const auto force = [&](double U) -> std::optional<double> {
    in.friction = static_cast<float>(U);
    orowan::solvePass(in, *result);
    if (result->outcome != orowan::Outcome::neutralPoint) return std::nullopt;
    return result->ROLLING_FORCE;
  };
  const auto r = findRoot(force, 200, 0.05, 0.5);
  ASSERT_TRUE(r.status == RootStatus::met || r.status == RootStatus::jump);
  EXPECT_NEAR(r.value, 200, 200 * 5e-3);
  EXPECT_GT(r.x, 0.1);
  EXPECT_EQ(result->ROLLING_FORCE, static_cast<float>(r.value));  // the last pass is the answer
}

}  // namespace
