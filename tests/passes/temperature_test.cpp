// The strip's temperature against independent solutions of its heat
// balance: the closed form of radiative cooling, exponentials of the
// linear laws, a fine RK4 of the bite, and the deformation-heating formula.
#include "passes/temperature.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace {

using orowan::PropertyPoints;
using namespace orowan::passes;

constexpr double kSigma = 5.670374419e-8;

// dT/dt = -k (T^4 - a^4) integrates to t = (F(T0) - F(T)) / k with
// F(T) = [ln((T - a)/(T + a)) - 2 atan(T/a)] / (4 a^3); T by bisection.
double radiatedClosedForm(double T0C, double seconds, double Hmm, double emissivity,
                          double ambientC, double rho, double cp) {
  const double a = ambientC + 273.15, T0 = T0C + 273.15;
  const double k = 2 * emissivity * kSigma / (rho * cp * Hmm * 1e-3);
  auto F = [a](double T) { return (std::log((T - a) / (T + a)) - 2 * std::atan(T / a)) / (4 * a * a * a); };
  double lo = a + 1e-9, hi = T0;
  for (int i = 0; i < 200; ++i) {
    const double mid = (lo + hi) / 2;
    ((F(T0) - F(mid)) / k > seconds ? lo : hi) = mid;
  }
  return (lo + hi) / 2 - 273.15;
}

// Classical RK4 with n steps of dT/dt = f(T): the reference integrator.
double rk4(const std::function<double(double)>& f, double T, double seconds, int n) {
  const double dt = seconds / n;
  for (int i = 0; i < n; ++i) {
    const double k1 = f(T), k2 = f(T + dt / 2 * k1), k3 = f(T + dt / 2 * k2), k4 = f(T + dt * k3);
    T += dt / 6 * (k1 + 2 * k2 + 2 * k3 + k4);
  }
  return T;
}

TEST(AirCooling, RadiationOnlyIsTheClosedForm) {
  struct Row {
    double T0, seconds, H, emissivity, ambient;
  };
  const Row rows[] = {{1100, 10, 25, 0.8, 20},  {1200, 30, 5, 0.9, 20}, {900, 60, 2, 0.7, 50},
                      {1050, 120, 40, 0.8, 0},  {1000, 0.5, 1, 1.0, 20}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.T0);
    StripHeat heat;
    heat.H_CONV = 0, heat.EMISSIVITY = row.emissivity, heat.T_AMBIENT = row.ambient;
    const double expected = radiatedClosedForm(row.T0, row.seconds, row.H, row.emissivity,
                                               row.ambient, heat.RHO, heat.CP);
    EXPECT_LT(expected, row.T0 - 0.5);  // the case really cools
    EXPECT_NEAR(airCooled(row.T0, row.seconds, row.H, heat), expected, 1e-3);
  }
}

// Radiation and convection together against a fine RK4; convection
// alone against its exponential; no time, no change.
TEST(AirCooling, WithConvection) {
  StripHeat heat;
  heat.H_CONV = 25;
  const double capacity = heat.RHO * heat.CP * 10e-3;  // 10 mm
  const double a = 20 + 273.15;
  auto f = [&](double T) {
    return -2 * (0.8 * kSigma * (std::pow(T, 4) - std::pow(a, 4)) + 25 * (T - a)) / capacity;
  };
  EXPECT_NEAR(airCooled(1150, 20, 10, heat), rk4(f, 1150 + 273.15, 20, 20000) - 273.15, 1e-6);
  heat.EMISSIVITY = 0;
  EXPECT_NEAR(airCooled(1150, 20, 10, heat), 20 + 1130 * std::exp(-2 * 25 * 20 / capacity), 1e-6);
  EXPECT_EQ(airCooled(1150, 0, 10, heat), 1150);
}

// Descaling: T = Tw + (T0 - Tw) exp(-2 h t / (rho c H)).
TEST(Descaling, IsTheExponential) {
  StripHeat heat;
  for (double seconds : {0.0, 0.2, 1.0}) {
    const double expected =
        20 + (1100 - 20) * std::exp(-2 * 10000 * seconds / (7850 * 650 * 25e-3));
    EXPECT_NEAR(waterCooled(1100, seconds, 25, heat), expected, 1e-9);
  }
}

// eta Y de / (rho c): 0.9 * 15 kgf/mm^2 * 9.80665e6 Pa * 0.5 / (7850 * 650)
// = 12.9730304 K.
TEST(DeformationHeating, IsTheFormula) {
  EXPECT_NEAR(deformationHeating(15, 0.5, 7850, StripHeat{}), 12.973030377266046, 1e-9);
}

HotPassInput typicalPass() {
  HotPassInput in;
  in.R = 400, in.H1 = 25, in.H2 = 15, in.V = 60, in.T = 1050;
  in.material.carbon = 0.2;
  return in;
}

double contact(const HotPassInput& in) {
  const double dh = double(in.H1) - in.H2;
  return std::sqrt(in.R * dh - dh * dh / 4);
}

// Without roll chill the exit is the entry plus the deformation heating of
// the pass's mean flow stress over its equivalent strain.
TEST(HotPass, WithoutChillTheRiseIsTheHeating) {
  for (double T : {900.0, 1050.0, 1200.0}) {
    HotPassInput in = typicalPass();
    in.T = T;
    in.heat.H_CONTACT = 0;
    PropertyPoints table;
    const HotPassResult out = solveHotPass(in, table);
    ASSERT_FALSE(out.refusal);
    const double Y = out.yield.meanFlowStress;
    const double heating = 0.9 * Y * 9.80665e6 * (2 / std::sqrt(3.0)) * std::log(25.0 / 15.0) /
                           (7850.0 * 650.0);
    EXPECT_NEAR(out.T_EXIT - out.T_ENTRY, heating, 1e-9);
    EXPECT_NEAR(out.T_RISE, heating, 1e-9);
    EXPECT_NEAR(out.T_DROP_ROLL, 0, 1e-9);
    EXPECT_EQ(out.T_ENTRY, T);  // no transfer, no descaling
  }
}

// Without heating the exit is the exponential chill over the contact time
// XL / v; with both, a fine RK4 of the bite's heat balance.
TEST(HotPass, RollChill) {
  HotPassInput in = typicalPass();
  const double t = contact(in) / 1000.0;  // 60 m/min = 1000 mm/s
  const double capacity = 7850 * 650 * 20e-3;  // mean thickness 20 mm
  in.heat.ETA = 0;
  PropertyPoints table;
  HotPassResult out = solveHotPass(in, table);
  const double chilled = 60 + (1050 - 60) * std::exp(-2 * 20000 * t / capacity);
  EXPECT_NEAR(out.T_EXIT, chilled, 1e-9);
  EXPECT_NEAR(out.T_DROP_ROLL, 1050 - chilled, 1e-9);
  EXPECT_NEAR(out.contactTime, t, 1e-12);

  in.heat.ETA = 0.9;
  out = solveHotPass(in, table);
  const double q = out.T_RISE / t;
  auto f = [&](double T) { return q - 2 * 20000 * (T - 60) / capacity; };
  EXPECT_NEAR(out.T_EXIT, rk4(f, 1050, t, 10000), 1e-9);
  EXPECT_GT(out.T_RISE, 0);
  EXPECT_GT(out.T_DROP_ROLL, 0);
  EXPECT_GT(out.iterations, 1);
}

// Transfer and descaling bring the strip to the entry plane: the same
// balance by RK4, then the water's exponential, at the entry thickness.
TEST(HotPass, EntryAfterTransferAndDescaling) {
  HotPassInput in = typicalPass();
  in.T = 1150, in.heat.TRANSFER = 8, in.heat.DESCALE = 0.3;
  PropertyPoints table;
  const HotPassResult out = solveHotPass(in, table);
  const double capacity = 7850 * 650 * 25e-3, a = 293.15;
  auto f = [&](double T) {
    return -2 * (0.8 * kSigma * (std::pow(T, 4) - std::pow(a, 4)) + 10 * (T - a)) / capacity;
  };
  const double afterAir = rk4(f, 1150 + 273.15, 8, 8000) - 273.15;
  EXPECT_NEAR(out.T_ENTRY, 20 + (afterAir - 20) * std::exp(-2 * 10000 * 0.3 / capacity), 1e-6);
}

// ALPHA: the bite's sizes are the cold ones expanded at T_ENTRY.
TEST(HotPass, ColdSizesExpanded) {
  HotPassInput in = typicalPass();
  in.heat.ALPHA = 1.5e-5;
  PropertyPoints table;
  const HotPassResult out = solveHotPass(in, table);
  EXPECT_EQ(out.H1, static_cast<float>(25 * (1 + 1.5e-5 * (1050 - 20))));
  EXPECT_EQ(out.H2, static_cast<float>(15 * (1 + 1.5e-5 * (1050 - 20))));
}

TEST(HotPass, Refusals) {
  using Kind = HotRefusal::Kind;
  struct Row {
    const char* what;
    std::function<void(HotPassInput&)> change;
    Kind kind;
    double value;
  };
  const Row rows[] = {
      {"transfer", [](HotPassInput& in) { in.heat.TRANSFER = -1; }, Kind::negativeTime, -1},
      {"descaling", [](HotPassInput& in) { in.heat.DESCALE = -0.5; }, Kind::negativeTime, -0.5},
      {"strip", [](HotPassInput& in) { in.T = -274; }, Kind::belowAbsoluteZero, -274},
      {"ambient", [](HotPassInput& in) { in.heat.T_AMBIENT = -300; }, Kind::belowAbsoluteZero, -300},
      {"roll", [](HotPassInput& in) { in.heat.T_ROLL = -273.2; }, Kind::belowAbsoluteZero, -273.2},
      {"carbon", [](HotPassInput& in) { in.material.carbon = 1.51; }, Kind::carbonOutside, 1.51},
      {"density", [](HotPassInput& in) { in.heat.RHO = 0; }, Kind::notPositive, 0},
      {"heat capacity", [](HotPassInput& in) { in.heat.CP = -650; }, Kind::notPositive, -650},
      {"speed", [](HotPassInput& in) { in.V = 0; }, Kind::notPositive, 0},
      {"contact", [](HotPassInput& in) { in.heat.H_CONTACT = -1; }, Kind::negativeCoefficient, -1},
      {"emissivity", [](HotPassInput& in) { in.heat.EMISSIVITY = 1.2; }, Kind::fractionOutside, 1.2},
      {"eta", [](HotPassInput& in) { in.heat.ETA = -0.1; }, Kind::fractionOutside, -0.1},
      {"alpha", [](HotPassInput& in) { in.heat.ALPHA = NAN; }, Kind::notFinite, NAN},
      {"no reduction", [](HotPassInput& in) { in.H2 = 25; }, Kind::noArcOfContact, 25},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    HotPassInput in = typicalPass();
    row.change(in);
    PropertyPoints table;
    const HotPassResult out = solveHotPass(in, table);
    EXPECT_EQ(out.refusal.kind, row.kind);
    if (std::isnan(row.value)) EXPECT_TRUE(std::isnan(out.refusal.value));
    else EXPECT_EQ(out.refusal.value, row.value);
    EXPECT_EQ(table.count, 0);
  }
  PropertyPoints table;
  EXPECT_FALSE(solveHotPass(typicalPass(), table).refusal);
}

}  // namespace
