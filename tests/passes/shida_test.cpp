// Shida's hot flow-stress law against its restated formula evaluated
// separately, on both sides of the transformation temperature, and its
// published limits.
#include "passes/hot_flow.h"

#include <gtest/gtest.h>

namespace {

using namespace orowan::passes;

// Each stress was evaluated outside this program, in Python from the
// formula as restated (t = (T + 273)/1000, td = 0.95 (C + 0.41)/(C +
// 0.32); above td sigma_f = 0.28 exp(5/t - 0.01/(C + 0.05)), below it
// 0.28 g exp(5/td - 0.01/(C + 0.05)); times f_e and f_r). E.g. the first
// row: t = 1.273 >= td = 1.15357, sigma_f = 0.28 exp(3.92773 - 0.06667) =
// 13.2839, f_e = 1.3 1.5^0.403 - 0.45 = 1.08242, f_r = 1: 14.3789.
struct ShidaCase {
  double T, C, e, r;
  bool aboveTransformation;
  double stress;  // kgf/mm^2
};

constexpr ShidaCase kShida[] = {
    {1000, 0.1, 0.3, 10, true, 14.378949089154373},
    {1100, 0.2, 0.5, 30, true, 13.285729646831847},
    {900, 0.8, 0.4, 50, true, 26.123234960086858},
    {800, 0.1, 0.3, 10, false, 18.199610570849622},
    {750, 0.45, 0.2, 1, false, 22.241298203703991},
};

TEST(Shida, IsTheRestatedFormulaOnBothBranches) {
  HotMaterial m;
  m.law = FlowLaw::shida;
  for (const ShidaCase& row : kShida) {
    SCOPED_TRACE(row.T);
    const double td = 0.95 * (row.C + 0.41) / (row.C + 0.32);
    ASSERT_EQ((row.T + 273) / 1000 >= td, row.aboveTransformation);
    EXPECT_NEAR(shidaStress(row.T, row.C, row.e, row.r), row.stress, 1e-12 * row.stress);
    m.carbon = row.C;
    EXPECT_DOUBLE_EQ(hotFlowStress(m, row.T, row.e, row.r), shidaStress(row.T, row.C, row.e, row.r));
  }
}

// The strain floor and the restated limits.
TEST(Shida, FloorAndLimits) {
  HotMaterial m;
  m.law = FlowLaw::shida;
  m.carbon = 0.1;
  EXPECT_DOUBLE_EQ(hotFlowStress(m, 1000, 0.0, 10), shidaStress(1000, 0.1, kDefaultEpsMin, 10));
  const Validity v = publishedValidity(m);
  EXPECT_EQ(limitsViolated(v, 1000, 0.3, 10, 0.1), 0u);
  EXPECT_EQ(limitsViolated(v, 650, 0.8, 200, 0.05),
            kTemperatureBelow | kStrainAbove | kRateAbove | kCarbonBelow);
  EXPECT_EQ(limitsViolated(v, 1250, 0.3, 0.05, 1.3), kTemperatureAbove | kRateBelow | kCarbonAbove);
}

}  // namespace
