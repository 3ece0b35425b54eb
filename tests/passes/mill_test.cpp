// Roll flattening, slips, speeds and power around the library call.
#include "passes/mill.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <memory>
#include <vector>

namespace {

using orowan::passes::FlatteningStatus;
using orowan::PassInput;
using orowan::PassResult;
using orowan::passes::RollElasticity;

PassInput pass(float R, float H1, float H2, float Y, float SGB, float U) {
  PassInput in;
  in.R = R, in.H1 = H1, in.H2 = H2, in.meanYieldStress = Y, in.SGB = SGB, in.friction = U;
  return in;
}

// Cold passes of hard strip on steel rolls (E 21000 kgf/mm^2).
const PassInput kColdPasses[] = {
    pass(250, 2.0f, 1.6f, 60, 0, 0.08f),
    pass(250, 1.0f, 0.8f, 60, 0, 0.08f),
    pass(200, 0.5f, 0.42f, 45, 5, 0.06f),
};
constexpr RollElasticity kSteel{21000, 0.3};

// With a force that is continuous in the radius the answer is Hitchcock's
// fixed point to 1 part in 10^6: a force a sqrt(R') (the contact length's
// growth) makes R' = R (1 + c a sqrt(R')/dh) a quadratic in sqrt(R'),
// sqrt(R') = (b + sqrt(b^2 + 4R)) / 2 with b = R c a / dh, c = 16 (1 -
// NU^2) / (pi E). A force a R' has a fixed point R / (1 - R c a / dh) only
// while R c a / dh < 1: beyond it the strip is below its minimum gauge.
TEST(Flattening, FixedPointOfAContinuousForce) {
  const double R = 250, dh = 0.2, c = 16 * (1 - 0.09) / (3.14159265358979323846 * 21000);
  for (double a : {5.0, 40.0, 200.0}) {
    const orowan::passes::ForceAtRadius sqrtForce = [a](float r, double& force) {
      force = a * std::sqrt(double(r));
      return FlatteningStatus::settled;
    };
    const auto flat = orowan::passes::findFlattenedRadius(R, dh, kSteel, sqrtForce);
    const double b = R * c * a / dh, root = (b + std::sqrt(b * b + 4 * R)) / 2;
    ASSERT_EQ(flat.status, FlatteningStatus::settled) << a;
    EXPECT_NEAR(flat.R_FLAT / (root * root), 1.0, 1e-6) << a;
    EXPECT_LE(std::fabs(flat.residual), 1e-6);
  }
  for (double a : {0.05, 0.9 * dh / (R * c), 1.1 * dh / (R * c)}) {
    const orowan::passes::ForceAtRadius linearForce = [a](float r, double& force) {
      force = a * r;
      return FlatteningStatus::settled;
    };
    const auto flat = orowan::passes::findFlattenedRadius(R, dh, kSteel, linearForce);
    if (R * c * a / dh < 1) {
      ASSERT_EQ(flat.status, FlatteningStatus::settled) << a;
      EXPECT_NEAR(flat.R_FLAT / (R / (1 - R * c * a / dh)), 1.0, 1e-6) << a;
    } else {
      EXPECT_EQ(flat.status, FlatteningStatus::belowMinimumGauge) << a;
    }
  }
}

// The console's scheme: the search settles (R' moves by less than 1 part
// in 10^6), the residual it reports is the one of the pass it leaves in
// the result, and that residual is no larger than the force's jumps
// between neighbouring radii (the 400/401 step count and the neutral
// step: a few tenths of a per cent).
TEST(Flattening, ConsoleSchemeSettlesWithinItsJumps) {
  for (const PassInput& in : kColdPasses) {
    auto result = std::make_unique<PassResult>();
    const auto flat = orowan::passes::solveFlattened(in, kSteel, *result);
    ASSERT_EQ(flat.status, FlatteningStatus::settled) << in.H1;
    EXPECT_GT(flat.R_FLAT, 1.2 * in.R);  // flattening matters for these
    const double again =
        orowan::passes::hitchcockRadius(in.R, result->ROLLING_FORCE, in.H1 - in.H2, kSteel);
    EXPECT_DOUBLE_EQ((again - flat.R_FLAT) / flat.R_FLAT, flat.residual) << in.H1;
    EXPECT_LT(std::fabs(flat.residual), 5e-3) << in.H1;
    EXPECT_LE(flat.iterations, orowan::passes::kFlatteningLimit);
  }
}

// Rigid rolls (E 1e30): the radius stays R and the pass is the unflattened
// pass to the bit.
TEST(Flattening, RigidRollsGiveTheUnflattenedPass) {
  for (const PassInput& in : kColdPasses) {
    auto flattened = std::make_unique<PassResult>();
    auto rigid = std::make_unique<PassResult>();
    const auto flat = orowan::passes::solveFlattened(in, {1e30, 0.3}, *flattened);
    orowan::solvePass(in, *rigid);
    EXPECT_EQ(flat.status, FlatteningStatus::settled);
    EXPECT_EQ(flat.R_FLAT, double(in.R));
    for (auto field : {&PassResult::ROLLING_FORCE, &PassResult::G, &PassResult::TORQUE_ARM,
                       &PassResult::XN, &PassResult::NEUTRAL_P})
      EXPECT_EQ(std::bit_cast<std::uint32_t>(*flattened.*field),
                std::bit_cast<std::uint32_t>(*rigid.*field));
  }
}

// Softer rolls flatten more: R' rises as E falls, until no radius
// satisfies the equation (below the minimum gauge), and stays so.
TEST(Flattening, RadiusGrowsAsTheRollsSoftenUntilTheMinimumGauge) {
  const PassInput in = pass(250, 1.0f, 0.8f, 60, 0, 0.08f);
  double last = in.R;
  bool below = false;
  int settled = 0;
  for (double E = 60000; E > 3000; E *= 0.8) {
    auto result = std::make_unique<PassResult>();
    const auto flat = orowan::passes::solveFlattened(in, {E, 0.3}, *result);
    if (flat.status == FlatteningStatus::settled) {
      EXPECT_FALSE(below) << "settled again at E " << E;
      EXPECT_GT(flat.R_FLAT, last) << E;
      last = flat.R_FLAT;
      ++settled;
    } else {
      EXPECT_EQ(flat.status, FlatteningStatus::belowMinimumGauge) << E;
      below = true;
    }
  }
  EXPECT_GE(settled, 5);
  EXPECT_TRUE(below);
}

// The example pass (R 100, 2 -> 1.5 mm, yield 20, friction 0.1) at a roll
// speed of 100 m/min. Its neutral point is exit-side step 130; the speeds
// follow from constant volume through the neutral point, and the power is
// G (1.2786 t m/m = 12.539 kN m/m) times V/R = (100/60 m/s)/0.1 m =
// 16.667 rad/s: about 209 kW/m.
TEST(MillOutputs, SlipsSpeedsAndPowerOfTheExamplePass) {
  const PassInput in = pass(100, 2, 1.5f, 20, 0, 0.1f);
  auto result = std::make_unique<PassResult>();
  orowan::solvePass(in, *result);
  const auto out = orowan::passes::millOutputs(in, *result, 100.0);
  const orowan::StepValues& n = result->exit.step[result->NEUTRAL_STEP - 1];
  const double rollAtNeutral = 100.0 * std::cos(double(n.PHI));
  EXPECT_NEAR(1.5 * out.V_EXIT, double(n.H) * rollAtNeutral, 1e-9);
  EXPECT_NEAR(2.0 * out.V_ENTRY, double(n.H) * rollAtNeutral, 1e-9);
  EXPECT_NEAR(out.V_EXIT / rollAtNeutral - 1.0, out.FORWARD_SLIP, 1e-12);
  EXPECT_GT(out.FORWARD_SLIP, 0.0);
  EXPECT_GT(out.BACKWARD_SLIP, 0.0);
  EXPECT_NEAR(out.POWER, 1.2786 * 9.80665 * (100.0 / 60.0) / 0.1, 0.2);
  EXPECT_TRUE(std::isnan(orowan::passes::millOutputs(in, *result, NAN).V_EXIT) ||
              orowan::passes::millOutputs(in, *result, NAN).V_EXIT == 0.0);
}

// A neutral point on the exit plane (back tension 8.057 on the example
// pass) leaves the strip at the roll's speed: no forward slip.
TEST(MillOutputs, NoForwardSlipWithTheNeutralPointOnTheExitPlane) {
  const PassInput in = pass(100, 2, 1.5f, 20, 8.057f, 0.1f);
  auto result = std::make_unique<PassResult>();
  orowan::solvePass(in, *result);
  ASSERT_EQ(result->outcome, orowan::Outcome::neutralPoint);
  ASSERT_EQ(result->NEUTRAL_STEP, 1);
  const auto out = orowan::passes::millOutputs(in, *result, 300.0);
  EXPECT_EQ(out.FORWARD_SLIP, 0.0);
  EXPECT_EQ(out.V_EXIT, 300.0);
  EXPECT_NEAR(out.BACKWARD_SLIP, 0.25, 1e-7);  // (2 - 1.5) / 2
}

}  // namespace
