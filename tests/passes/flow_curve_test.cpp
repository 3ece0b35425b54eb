// Yield tables from flow curves, through the library call: a constant
// curve is the constant input to the bit, a hardening curve hardens along
// the arc, the table follows its curve within the stated bound, and every
// step of both marches finds its yield stress inside the table.
#include "passes/flow_curve.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <memory>
#include <vector>

#include "analysis/analysis.h"
#include "analysis/pass.h"

namespace {

using orowan::passes::FlowCurve;
using orowan::PassInput;
using orowan::PassResult;
using orowan::PropertyPoints;

PassInput pass(float R, float H1, float H2, float Y, float U) {
  PassInput in;
  in.R = R, in.H1 = H1, in.H2 = H2, in.meanYieldStress = Y, in.friction = U;
  return in;
}

std::unique_ptr<PassResult> solve(const PassInput& in) {
  auto result = std::make_unique<PassResult>();
  orowan::solvePass(in, *result);
  return result;
}

// Everything a pass stores, as bits.
std::vector<std::uint32_t> bitsOf(const PassResult& r) {
  std::vector<std::uint32_t> bits{static_cast<std::uint32_t>(r.outcome),
                                  static_cast<std::uint32_t>(r.NEUTRAL_STEP)};
  auto add = [&](float v) { bits.push_back(std::bit_cast<std::uint32_t>(v)); };
  for (float v : {r.ROLLING_FORCE, r.G, r.TORQUE_ARM, r.PM, r.XN, r.ON, r.NEUTRAL_F, r.NEUTRAL_P})
    add(v);
  for (const orowan::March* m : {&r.exit, &r.entry})
    for (int i = 0; i < m->steps; ++i)
      for (float v : {m->step[i].F, m->step[i].P, m->step[i].RK, m->step[i].U, m->step[i].A})
        add(v);
  return bits;
}

const FlowCurve kSwift{FlowCurve::Kind::swift, 55.0, 0.22, 0.012, 0};    // cold steel
const FlowCurve kLudwik{FlowCurve::Kind::ludwik, 30.0, 0.5, 0, 12.0};    // aluminium-like
const FlowCurve kHollomon{FlowCurve::Kind::swift, 40.0, 0.3, 0, 0};

struct PassCase {
  const char* what;
  PassInput in;
  double strainIn;
};

const PassCase kPasses[] = {
    {"example geometry, annealed", pass(100, 2, 1.5f, 20, 0.1f), 0.0},
    {"thin strip, large roll, prestrained", pass(250, 0.8f, 0.6f, 20, 0.08f), 0.4},
    {"heavy reduction", pass(150, 4, 2.6f, 20, 0.15f), 0.1},
    {"light reduction", pass(300, 3, 2.85f, 20, 0.05f), 0.8},
};

// A constant curve (N = 0) is the constant input Y = K to the bit; so is a
// friction table holding one value everywhere.
TEST(FlowCurve, ConstantCurveIsTheConstantInput) {
  for (const PassCase& c : kPasses) {
    SCOPED_TRACE(c.what);
    for (const FlowCurve& curve : {FlowCurve{FlowCurve::Kind::swift, 23.7, 0, 0.05, 0},
                                   FlowCurve{FlowCurve::Kind::ludwik, 20.5, 0, 0, 3.25}}) {
      PropertyPoints yield;
      orowan::passes::yieldTableFromCurve(curve, c.in.R, c.in.H1, c.in.H2, c.strainIn, yield);
      EXPECT_EQ(yield.count, 3);  // both planes and the guard: nothing to follow
      PassInput constant = c.in;
      constant.meanYieldStress = static_cast<float>(orowan::passes::flowStress(curve, 0.3));
      PassInput tabled = c.in;
      tabled.yieldTable = &yield;
      EXPECT_EQ(bitsOf(*solve(tabled)), bitsOf(*solve(constant)));
    }
    PropertyPoints friction{2, {0.0f, 1000.0f}, {c.in.friction, c.in.friction}};
    PassInput tabled = c.in;
    tabled.frictionTable = &friction;
    EXPECT_EQ(bitsOf(*solve(tabled)), bitsOf(*solve(c.in)));
  }
}

// Between its positions the analysis's own lookup stays within 0.1 % of
// 1.15 times the curve (checked at every midpoint and quarter point), and
// the table holds at most 50 points, ascending, from the exit plane on.
// (Hollomon's curve on annealed strip starts at zero stress with an
// infinite slope at the entry plane: no table follows it; see below.)
TEST(FlowCurve, TableFollowsTheCurve) {
  for (const PassCase& c : kPasses)
    for (const FlowCurve* each : {&kSwift, &kLudwik, &kHollomon}) {
      if (each == &kHollomon && c.strainIn == 0) continue;
      const FlowCurve& curve = *each;
      SCOPED_TRACE(c.what);
      PropertyPoints table;
      const auto fit = orowan::passes::yieldTableFromCurve(curve, c.in.R, c.in.H1, c.in.H2,
                                                   c.strainIn, table);
      ASSERT_LE(table.count, orowan::kMaxTablePoints);
      EXPECT_EQ(table.positions[0], 0.0f);
      for (int k = 0; k + 1 < table.count; ++k) ASSERT_LT(table.positions[k], table.positions[k + 1]);
      orowan::rec.yieldTable.count = table.count;
      for (int k = 0; k < table.count; ++k) {
        orowan::rec.yieldTable.positions[k] = table.positions[k];
        orowan::rec.yieldTable.values[k] = table.values[k];
      }
      double worst = 0;
      for (int k = 0; k + 2 < table.count; ++k)  // the guard interval is outside the arc
        for (double t : {0.25, 0.5, 0.75}) {
          const orowan::Real X = table.positions[k] + t * (table.positions[k + 1] - table.positions[k]);
          orowan::Real RK;
          orowan::lookupYieldStress(X, RK);
          const double exact = 1.15 * orowan::passes::flowStress(
                                          curve, orowan::passes::strainAt(X, c.in.R, c.in.H1, c.in.H2,
                                                                  c.strainIn));
          worst = std::max(worst, std::fabs(RK - exact) / exact);
        }
      EXPECT_LT(worst, 1e-3);
      EXPECT_TRUE(fit.withinTolerance) << fit.worstMidpointError;
    }
}

// A hardening strip: RK falls from the exit plane to the entry plane along
// both marches, every step's RK comes from the table (none is the lookup's
// default), and the rolling force lies between those of constant passes at
// the entry and at the exit yield stress.
TEST(FlowCurve, HardeningAlongTheArc) {
  for (const PassCase& c : kPasses) {
    SCOPED_TRACE(c.what);
    PropertyPoints table;
    orowan::passes::yieldTableFromCurve(kSwift, c.in.R, c.in.H1, c.in.H2, c.strainIn, table);
    PassInput in = c.in;
    in.yieldTable = &table;
    const auto result = solve(in);
    ASSERT_EQ(result->outcome, orowan::Outcome::neutralPoint);
    const orowan::March& exit = result->exit;
    for (int i = 1; i < exit.steps; ++i) ASSERT_LE(exit.step[i].RK, exit.step[i - 1].RK) << i;
    const orowan::March& entry = result->entry;
    for (int i = 1; i < entry.steps; ++i) ASSERT_GE(entry.step[i].RK, entry.step[i - 1].RK) << i;
    const float exitRK = exit.step[0].RK, entryRK = entry.step[0].RK;
    EXPECT_EQ(entryRK, table.values[0 + table.count - 1]);
    EXPECT_EQ(exitRK, table.values[0]);
    auto constantForce = [&](float RK) {
      PassInput constant = c.in;
      constant.meanYieldStress = RK / 1.15f;
      return solve(constant)->ROLLING_FORCE;
    };
    EXPECT_GT(result->ROLLING_FORCE, constantForce(entryRK));
    EXPECT_LT(result->ROLLING_FORCE, constantForce(exitRK));
  }
}

// Zero strain on Hollomon's curve is zero stress: the fit says it cannot
// follow the curve there, so the caller can refuse the pass.
TEST(FlowCurve, HollomonFromZeroStrainCannotBeFollowed) {
  PropertyPoints table;
  const auto fit = orowan::passes::yieldTableFromCurve(kHollomon, 100, 2, 1.5f, 0.0, table);
  EXPECT_FALSE(fit.withinTolerance);
  EXPECT_EQ(table.values[table.count - 1], 0.0f);  // the entry plane
}

// Every step of both marches finds its yield stress inside the table, at
// its own position: the entry march's first section, R sin of the stored
// contact angle, lies a unit in the last place beyond XL in about one pass
// in twenty, so the table's last point must lie beyond that. Checked over
// 300 generated geometries: every step's RK lies between the table's
// values (this curve's RK is above 30 everywhere: the lookup's default 20
// would show).
TEST(FlowCurve, EveryStepLiesInsideTheTable) {
  std::uint64_t state = 20261208;
  auto fraction = [&] {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<double>(state >> 11) / 9007199254740992.0;
  };
  int checked = 0;
  for (int n = 0; n < 300; ++n) {
    const float R = static_cast<float>(20 + 980 * fraction());
    const float H1 = static_cast<float>(0.2 + 9.8 * fraction());
    const float H2 = static_cast<float>(H1 * (0.5 + 0.49 * fraction()));
    PropertyPoints table;
    orowan::passes::yieldTableFromCurve(kSwift, R, H1, H2, 0.05, table);
    PassInput in = pass(R, H1, H2, 20, 0.1f);
    in.yieldTable = &table;
    const auto result = solve(in);
    if (result->outcome == orowan::Outcome::fault) continue;
    ++checked;
    const float lowest = table.values[table.count - 1], highest = table.values[0];
    for (const orowan::March* m : {&result->exit, &result->entry})
      for (int i = 0; i < m->steps; ++i) {
        ASSERT_GE(m->step[i].RK, lowest) << n << " step " << i;
        ASSERT_LE(m->step[i].RK, highest) << n << " step " << i;
      }
  }
  EXPECT_GT(checked, 250);
}

// The mean of a table over the arc: exact for straight pieces.
TEST(FlowCurve, TableMeanIsTheIntegralOverTheArc) {
  // 10 up to 20 over [0, 4], then flat to 6: (4 x 15 + 2 x 20) / 6
  const PropertyPoints table{3, {0, 4, 8}, {10, 20, 20}};
  EXPECT_DOUBLE_EQ(orowan::passes::tableMean(table, 6.0), (4 * 15.0 + 2 * 20.0) / 6.0);
  EXPECT_DOUBLE_EQ(orowan::passes::tableMean(table, 2.0), 12.5);
}

}  // namespace
