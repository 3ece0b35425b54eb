// Mean strain rates: the time mean over the bite and Ekelund's closed form,
// each worked out by hand for a few passes.
#include "passes/strain_rate.h"

#include <gtest/gtest.h>

#include "passes/hot_flow.h"

namespace {

using namespace orowan::passes;

// Per row, by hand: v = V 1000/60 mm/s; XL = sqrt(R dh - dh^2/4);
// de = (2/sqrt 3) ln(H1/H2); mean = de v / XL; Ekelund 2 v sqrt(dh/R)/(H1+H2).
// First row: v = 1000, XL = sqrt(3975) = 63.0476, de = 0.589851, mean =
// 9.35564 /s, Ekelund = 2000 * 0.158114 / 40 = 7.90569 /s.
TEST(StrainRate, MeanOverTheBiteAndEkelund) {
  struct Row {
    float R, H1, H2;
    double V, v, XL, strain, mean, ekelund;
  };
  const Row rows[] = {
      {400, 25, 15, 60, 1000.0, 63.047601064592456, 0.5898506227805066, 9.355639434658313,
       7.905694150420949},
      {300, 25, 20, 180, 3000.0, 38.64906208435077, 0.2576639788383762, 20.00027671636869,
       17.213259316477405},
      {500, 10, 7, 120, 2000.0, 38.70077518603471, 0.4118527497924437, 21.283953502877736,
       18.22580398215255},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.R);
    EXPECT_NEAR(rollSpeed(row.V), row.v, 1e-12 * row.v);
    EXPECT_NEAR(contactLength(row.R, row.H1, row.H2), row.XL, 1e-12 * row.XL);
    const double out = orowan::passes::strainOut(row.H1, row.H2, 0.3);
    EXPECT_NEAR(out - 0.3, row.strain, 1e-12);
    EXPECT_NEAR(meanStrainRate(0.3, out, row.v, row.XL), row.mean, 1e-10 * row.mean);
    EXPECT_NEAR(ekelundStrainRate(row.R, row.H1, row.H2, row.v), row.ekelund,
                1e-12 * row.ekelund);
  }
}

}  // namespace
