// Hot flow-stress laws against their published formulas evaluated by hand,
// their validity limits, and the yield tables they give along the arc.
#include "passes/hot_flow.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

using orowan::PropertyPoints;
using namespace orowan::passes;

HotMaterial misaka(double C) {
  HotMaterial m;
  m.carbon = C;
  return m;
}

HotMaterial c45() {
  HotMaterial m;
  m.law = FlowLaw::henselSpittel;
  m.coefficients = henselSpittelC45();
  return m;
}

// Misaka: sigma = exp(0.126 - 1.75C + 0.594C^2 + (2851 + 2968C - 1120C^2)/T)
// e^0.21 r^0.13, T in K. Each row: the exponent and the stress worked out
// by hand (a desk calculator in double), e.g. the first row: T = 1273.15 K,
// 0.126 - 0.35 + 0.02376 + (2851 + 593.6 - 44.8)/1273.15 = 2.47014448,
// exp = 11.8241551, times 0.3^0.21 = 0.776597 and 10^0.13 = 1.348963:
// 12.3869841 kgf/mm^2.
TEST(Misaka, IsThePublishedFormula) {
  struct Row {
    double T, C, e, r, exponent, stress;
  };
  const Row rows[] = {
      {1000, 0.2, 0.3, 10, 2.4701444794407568, 12.38698410810202},
      {900, 0.45, 0.5, 50, 2.8341419449771976, 24.462565927580023},
      {1150, 0.05, 0.1, 100, 2.1455957929592806, 9.590039882146701},
      {800, 1.0, 0.25, 1, 3.34869822485207, 21.275930473056626},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.T);
    const double s = misakaStress(row.T, row.C, row.e, row.r);
    EXPECT_NEAR(s, row.stress, 1e-12 * row.stress);
    // The temperature-carbon factor alone, at unit strain and rate.
    EXPECT_NEAR(misakaStress(row.T, row.C, 1, 1), std::exp(row.exponent), 1e-12 * s);
    EXPECT_DOUBLE_EQ(hotFlowStress(misaka(row.C), row.T, row.e, row.r), s);
  }
}

// Hensel-Spittel with the C45 set of the notes (sigma in Pa there; fitted
// with 0.1 added to the strain and the rate). Each row gives the factors
// A, e^(m1 T), e^m2, e^(m4/e), (1+e)^(m5 T), e^(m7 e), r^(m8 T) as worked
// out by hand, and their product in kgf/mm^2 (Pa / 9.80665e6).
TEST(HenselSpittel, IsThePublishedFormulaWithTheC45Set) {
  struct Row {
    double T, e, r;
    double factors[7];
    double stress;
  };
  const Row rows[] = {
      {1000, 0.3, 10,
       {3268490000.0, 0.06866264283966729, 0.7293325300511503, 1.0013804869961285,
        0.6412828404190504, 1.006675542769005, 1.4143431915971496},
       15.260390619899333},
      {850, 0.0, 1,
       {3268490000.0, 0.10261537537672746, 0.45241812966326517, 1.0055333929776455,
        0.8985507894029959, 1.0016647241172907, 1.0122185577006755},
       14.174727729147293},
      {1200, 0.6, 100,
       {3268490000.0, 0.040185059767896394, 0.8843872459912718, 1.000788616508897,
        0.4313728048430156, 1.0117114279953487, 2.2901023136109315},
       11.84786875806767},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.T);
    double product = 1;
    for (double f : row.factors) product *= f;
    EXPECT_NEAR(product / 9.80665e6, row.stress, 1e-12 * row.stress);
    EXPECT_NEAR(henselSpittelStress(henselSpittelC45(), row.T, row.e, row.r), row.stress,
                1e-12 * row.stress);
    // The set's own base strain keeps it above the floor: EPS_MIN changes nothing.
    EXPECT_DOUBLE_EQ(hotFlowStress(c45(), row.T, row.e, row.r), row.stress);
  }
}

// The unused terms: m3 (rate), m6 (1+e), m9 (T^m9) each on its own.
TEST(HenselSpittel, EachTermAsWritten) {
  const double T = 1000, e = 0.2, r = 5;
  HenselSpittel base;
  base.A = 100;
  struct Row {
    int index;
    double m, factor;
  };
  const Row rows[] = {{2, 0.1, std::pow(r, 0.1)},
                      {5, 0.5, std::pow(1 + e, 0.5)},
                      {8, 0.2, std::pow(T, 0.2)},
                      {0, -0.001, std::exp(-1.0)},
                      {3, 0.05, std::exp(0.05 / e)},
                      {6, 0.3, std::exp(0.3 * e)}};
  for (const Row& row : rows) {
    HenselSpittel set = base;
    set.m[row.index] = row.m;
    SCOPED_TRACE(row.index + 1);
    EXPECT_NEAR(henselSpittelStress(set, T, e, r), 100e6 / 9.80665e6 * row.factor, 1e-12);
  }
}

// Below EPS_MIN a law sees EPS_MIN: finite at zero strain, unchanged above.
TEST(HotFlow, StrainFloor) {
  HotMaterial m = misaka(0.3);
  EXPECT_EQ(kDefaultEpsMin, 0.1);
  EXPECT_DOUBLE_EQ(hotFlowStress(m, 1000, 0.0, 10), misakaStress(1000, 0.3, 0.1, 10));
  EXPECT_DOUBLE_EQ(hotFlowStress(m, 1000, 0.05, 10), misakaStress(1000, 0.3, 0.1, 10));
  EXPECT_DOUBLE_EQ(hotFlowStress(m, 1000, 0.2, 10), misakaStress(1000, 0.3, 0.2, 10));
  m.epsMin = 0.02;
  EXPECT_DOUBLE_EQ(hotFlowStress(m, 1000, 0.0, 10), misakaStress(1000, 0.3, 0.02, 10));
  HotMaterial hs = c45();
  hs.epsMin = 0.3;  // above the set's base: the set sees 0.3 at zero strain
  EXPECT_DOUBLE_EQ(hotFlowStress(hs, 1000, 0.0, 10),
                   henselSpittelStress(henselSpittelC45(), 1000, 0.2, 10));
}

// Hotter is softer and faster is harder, for both laws over their range.
TEST(HotFlow, HotterSofterFasterHarder) {
  for (const HotMaterial& m : {misaka(0.1), misaka(0.8), c45()}) {
    for (double T : {800.0, 950.0, 1100.0}) {
      for (double e : {0.05, 0.3, 0.6}) {
        SCOPED_TRACE(T);
        for (double r : {1.0, 10.0, 100.0}) {
          const double s = hotFlowStress(m, T, e, r);
          EXPECT_GT(s, 0);
          EXPECT_LT(hotFlowStress(m, T + 50, e, r), s);
          EXPECT_GT(hotFlowStress(m, T, e, 2 * r), s);
        }
      }
    }
  }
}

TEST(HotFlow, PublishedLimitsBroken) {
  const Validity v = publishedValidity(misaka(0.2));
  struct Row {
    double T, e, r, C;
    unsigned bits;
  };
  const Row rows[] = {
      {1000, 0.3, 50, 0.2, 0},
      {750, 0.5, 30, 1.2, 0},  // the ends are inside
      {1200, 0.0, 200, 0.0, 0},
      {700, 0.3, 50, 0.2, kTemperatureBelow},
      {1250, 0.3, 50, 0.2, kTemperatureAbove},
      {1000, 0.6, 50, 0.2, kStrainAbove},
      {1000, 0.3, 10, 0.2, kRateBelow},
      {1000, 0.3, 300, 0.2, kRateAbove},
      {1000, 0.3, 50, 1.3, kCarbonAbove},
      {700, 0.7, 5, 1.4, kTemperatureBelow | kStrainAbove | kRateBelow | kCarbonAbove},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.T);
    EXPECT_EQ(limitsViolated(v, row.T, row.e, row.r, row.C), row.bits);
  }
  // The C45 set comes without published limits.
  EXPECT_EQ(limitsViolated(publishedValidity(c45()), 500, 3, 1e4, 0.45), 0u);
}

// Linear interpolation in a table (as the analysis does inside it).
double interpolate(const PropertyPoints& t, double X) {
  int k = 0;
  while (k + 2 < t.count && X >= t.positions[k + 1]) ++k;
  const double x0 = t.positions[k], x1 = t.positions[k + 1];
  return t.values[k] + (double(t.values[k + 1]) - t.values[k]) * (X - x0) / (x1 - x0);
}

struct ArcCase {
  const char* what;
  HotMaterial material;
  HotArc arc;
};

const ArcCase kArcs[] = {
    {"first pass, chilled", misaka(0.2), {400, 25, 15, 0.0, {1050, 12, 20}, 9.36}},
    {"prestrained, heating", misaka(0.6), {300, 8, 6, 0.4, {950, 15, 3}, 30}},
    {"light, isothermal", misaka(0.05), {350, 10, 9.5f, 0.0, {1000, 0, 0}, 5}},
    {"C45 heavy", c45(), {450, 40, 28, 0.0, {1100, 10, 30}, 4}},
    {"C45 thin, hot exit", c45(), {300, 4, 2.8f, 0.8, {900, 25, 5}, 80}},
};

// The table follows the law (at the temperature and strain along the arc)
// within 0.1 % at every midpoint and quarter point, from exit to entry.
TEST(HotYieldTable, FollowsTheLaw) {
  for (const ArcCase& c : kArcs) {
    SCOPED_TRACE(c.what);
    PropertyPoints table;
    const HotYieldTable out = hotYieldTable(c.material, c.arc, table);
    ASSERT_FALSE(out.refusal);
    EXPECT_TRUE(out.fit.withinTolerance);
    EXPECT_LE(out.fit.worstMidpointError, 1e-3);
    ASSERT_LE(table.count, orowan::kMaxTablePoints);
    const double XL = contactLength(c.arc.R, c.arc.H1, c.arc.H2);
    EXPECT_EQ(table.positions[0], 0.0f);
    EXPECT_GE(table.positions[table.count - 1], XL);
    double worst = 0;
    for (int k = 0; k + 1 < table.count; ++k) {
      for (double at : {0.25, 0.5, 0.75}) {
        const double X = table.positions[k] + at * (table.positions[k + 1] - table.positions[k]);
        if (X > XL) continue;
        const double e = orowan::passes::strainAt(X, c.arc.R, c.arc.H1, c.arc.H2, c.arc.strainIn);
        const double law = 1.15 * hotFlowStress(c.material, temperatureAt(c.arc, X), e,
                                                c.arc.strainRate);
        worst = std::max(worst, std::fabs(interpolate(table, X) - law) / law);
      }
    }
    EXPECT_LE(worst, 1e-3);
    // The mean lies between the extremes of the law along the arc.
    const auto [lo, hi] = std::minmax_element(table.values, table.values + table.count);
    EXPECT_GE(out.meanYield, *lo);
    EXPECT_LE(out.meanYield, *hi);
    EXPECT_DOUBLE_EQ(out.meanFlowStress, out.meanYield / 1.15);
  }
}

// The temperature along the arc: entry at the entry plane, entry + rise -
// drop at the exit, the chill linear in X and the heating in the strain.
TEST(HotYieldTable, TemperatureProfile) {
  const HotArc arc{400, 25, 15, 0.0, {1050, 12, 20}, 9.36};
  const double XL = contactLength(arc.R, arc.H1, arc.H2);
  EXPECT_NEAR(temperatureAt(arc, XL), 1050, 1e-9);
  EXPECT_NEAR(temperatureAt(arc, 0), 1042, 1e-9);
  const double X = 0.5 * XL;
  const double strainDone = orowan::passes::strainAt(X, arc.R, arc.H1, arc.H2, 0) /
                            (2 / std::sqrt(3.0) * std::log(25.0 / 15.0));
  EXPECT_NEAR(temperatureAt(arc, X), 1050 + 12 * strainDone - 20 * 0.5, 1e-9);
}

// A hotter pass has the lower mean, a faster one the higher.
TEST(HotYieldTable, HotterLowerFasterHigher) {
  for (const ArcCase& c : kArcs) {
    SCOPED_TRACE(c.what);
    PropertyPoints table;
    const double mean = hotYieldTable(c.material, c.arc, table).meanYield;
    HotArc hotter = c.arc;
    hotter.temperature.entry += 40;
    EXPECT_LT(hotYieldTable(c.material, hotter, table).meanYield, mean);
    HotArc faster = c.arc;
    faster.strainRate *= 3;
    EXPECT_GT(hotYieldTable(c.material, faster, table).meanYield, mean);
  }
}

// The Misaka pass at 1000 deg C: strains up to 0.59 break its 0.5, a
// rate of 9.36 /s its 30 /s.
TEST(HotYieldTable, SaysWhichLimitsItBreaks) {
  PropertyPoints table;
  const HotYieldTable out = hotYieldTable(misaka(0.2), kArcs[0].arc, table);
  EXPECT_EQ(out.limits, kStrainAbove | kRateBelow);
}

TEST(HotYieldTable, Refusals) {
  using Kind = HotRefusal::Kind;
  struct Row {
    const char* what;
    HotMaterial m;
    HotArc arc;
    Kind kind;
    double value;
  };
  const HotArc good = kArcs[0].arc;
  HotArc negativeRate = good, noArc = good, frozen = good;
  negativeRate.strainRate = -1;
  noArc.H2 = 25;
  frozen.temperature = {-200, 0, 100};  // -300 deg C at the exit
  const Row rows[] = {
      {"carbon below 0", misaka(-0.01), good, Kind::carbonOutside, -0.01},
      {"carbon above 1.5", misaka(1.6), good, Kind::carbonOutside, 1.6},
      {"negative rate", misaka(0.2), negativeRate, Kind::negativeStrainRate, -1},
      {"no reduction", misaka(0.2), noArc, Kind::noArcOfContact, 25},
      {"below absolute zero", misaka(0.2), frozen, Kind::belowAbsoluteZero, -300},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    PropertyPoints table;
    const HotYieldTable out = hotYieldTable(row.m, row.arc, table);
    EXPECT_EQ(out.refusal.kind, row.kind);
    EXPECT_NEAR(out.refusal.value, row.value, 1e-9);
    EXPECT_EQ(table.count, 0);
  }
  // Zero rate: Misaka's stress vanishes, Hensel-Spittel's base rate keeps it.
  HotArc still = good;
  still.strainRate = 0;
  PropertyPoints table;
  EXPECT_EQ(hotYieldTable(misaka(0.2), still, table).refusal.kind, Kind::zeroStress);
  EXPECT_FALSE(hotYieldTable(c45(), still, table).refusal);
  HotMaterial huge = c45();
  huge.coefficients.A = 1e42;  // MPa: about 4e39 kgf/mm^2, beyond a float
  const HotRefusal beyond = hotYieldTable(huge, good, table).refusal;
  EXPECT_EQ(beyond.kind, Kind::beyondSingle);
  EXPECT_GT(beyond.value, 3.5e38);
}

// The general builder, given a flow curve's stress along the arc, makes
// the flow-curve builder's table to the bit.
TEST(YieldTableAlongArc, IsTheFlowCurveBuilderForACurve) {
  using orowan::passes::FlowCurve;
  const FlowCurve curves[] = {{FlowCurve::Kind::swift, 55.0, 0.22, 0.012, 0},
                              {FlowCurve::Kind::ludwik, 30.0, 0.5, 0, 12.0},
                              {FlowCurve::Kind::swift, 40.0, 0.3, 0, 0},
                              {FlowCurve::Kind::swift, 23.7, 0, 0.05, 0}};
  struct Geometry {
    float R, H1, H2;
    double strainIn;
  };
  const Geometry passes[] = {{100, 2, 1.5f, 0.0}, {250, 0.8f, 0.6f, 0.4}, {150, 4, 2.6f, 0.1},
                             {300, 3, 2.85f, 0.8}, {400, 25, 15, 0.0}};
  for (const FlowCurve& curve : curves) {
    for (const Geometry& g : passes) {
      PropertyPoints expected, actual;
      const auto a = orowan::passes::yieldTableFromCurve(curve, g.R, g.H1, g.H2, g.strainIn, expected);
      const auto b = yieldTableAlongArc(
          [&](double X) {
            return orowan::passes::flowStress(curve, orowan::passes::strainAt(X, g.R, g.H1, g.H2, g.strainIn));
          },
          contactLength(g.R, g.H1, g.H2), actual);
      ASSERT_EQ(actual.count, expected.count);
      for (int k = 0; k < expected.count; ++k) {
        EXPECT_EQ(actual.positions[k], expected.positions[k]);
        EXPECT_EQ(actual.values[k], expected.values[k]);
      }
      EXPECT_EQ(a.withinTolerance, b.withinTolerance);
      EXPECT_TRUE(a.worstMidpointError == b.worstMidpointError ||
                  (std::isnan(a.worstMidpointError) && std::isnan(b.worstMidpointError)));
    }
  }
}

}  // namespace
