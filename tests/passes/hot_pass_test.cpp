// A hot pass through the one pass: its mean strain rate, the hot laws at
// the pass's reported temperatures, strains and rate, the strip's
// temperature against formulas and an integration written out here.
#include "passes/solve.h"

#include <gtest/gtest.h>

#include "solved_pass.h"

#include <cmath>
#include <memory>

namespace {

using orowan::PassResult;
using namespace orowan::passes;

constexpr double kKgfMm2 = 9.80665e6;  // Pa

// The laws written out again from their published forms (kgf/mm^2).
double misaka(double T, double C, double e, double r) {
  return std::exp(0.126 - 1.75 * C + 0.594 * C * C + (2851 + 2968 * C - 1120 * C * C) / (T + 273.15)) *
         std::pow(e, 0.21) * std::pow(r, 0.13);
}

// The C45 set of the reference notes (sigma in Pa), base strain and base
// strain rate 0.1 added.
double c45(double T, double e, double r) {
  const double s = e + 0.1, q = r + 0.1;
  return 3268.49e6 * std::exp(-0.00267855 * T) * std::pow(s, 0.34446) * std::exp(0.000551814 / s) *
         std::pow(1 + s, -0.00132042 * T) * std::exp(0.0166334 * s) * std::pow(q, 0.000149907 * T) / kKgfMm2;
}

double shida(double Tc, double C, double e, double r) {
  const double T = (Tc + 273) / 1000, Td = 0.95 * (C + 0.41) / (C + 0.32);
  double sf, m;
  if (T >= Td) {
    sf = 0.28 * std::exp(5 / T - 0.01 / (C + 0.05));
    m = (-0.019 * C + 0.126) * T + (0.075 * C - 0.05);
  } else {
    const double g = 30 * (C + 0.9) * std::pow(T - 0.95 * (C + 0.49) / (C + 0.42), 2) + (C + 0.06) / (C + 0.09);
    sf = 0.28 * g * std::exp(5 / Td - 0.01 / (C + 0.05));
    m = (0.081 * C - 0.154) * T + (-0.019 * C + 0.207) + 0.027 / (C + 0.32);
  }
  return sf * (1.3 * std::pow(e / 0.2, 0.41 - 0.07 * C) - 0.3 * (e / 0.2)) * std::pow(r / 10, m);
}

using passtest::solve;

Request hotRequest(float R, float H1, float H2, double V, double T, FlowLaw law, double C) {
  Request r;
  r.input.R = R, r.input.H1 = H1, r.input.H2 = H2, r.input.friction = 0.3f;
  r.rollSpeed = V;
  r.hot = true;
  r.temperature = T;
  r.hotMaterial.law = law;
  r.hotMaterial.carbon = C;
  if (law == FlowLaw::henselSpittel) r.hotMaterial.coefficients = henselSpittelC45();
  r.heat.TRANSFER = 8, r.heat.DESCALE = 0.4;
  return r;
}

struct LawCase {
  const char* name;
  Request request;
  double (*law)(const Request&, double T, double e, double r);
  // The strain the law sees at the entry plane from zero strain: EPS_MIN,
  // or for the set fitted with a base strain of 0.1 (at least EPS_MIN
  // already) none beyond its base.
  double entryStrain = kDefaultEpsMin;
};

const LawCase kLaws[] = {
    {"misaka roughing", hotRequest(500, 40, 28, 60, 1150, FlowLaw::misaka, 0.08),
     [](const Request& q, double T, double e, double r) { return misaka(T, q.hotMaterial.carbon, e, r); }},
    {"misaka finishing, flattened", [] {
       Request q = hotRequest(350, 4, 2.8f, 500, 950, FlowLaw::misaka, 0.08);
       q.flatten = true, q.rolls = {21000, 0.3};
       return q;
     }(),
     [](const Request& q, double T, double e, double r) { return misaka(T, q.hotMaterial.carbon, e, r); }},
    {"shida above its transformation", hotRequest(400, 25, 16, 90, 1100, FlowLaw::shida, 0.1),
     [](const Request& q, double T, double e, double r) { return shida(T, q.hotMaterial.carbon, e, r); }},
    {"shida below it", hotRequest(400, 8, 6, 200, 820, FlowLaw::shida, 0.1),
     [](const Request& q, double T, double e, double r) { return shida(T, q.hotMaterial.carbon, e, r); }},
    {"hensel-spittel C45", hotRequest(400, 25, 16, 90, 1100, FlowLaw::henselSpittel, 0),
     [](const Request&, double T, double e, double r) { return c45(T, e, r); }, 0.0},
};

// The exit plane's yield stress RK is the law at T_EXIT, EPS_OUT and
// EPS_RATE_MEAN times 1.15, each rounded to single precision as the
// analysis rounds a typed stress: 2e-6 relative covers the two roundings
// and T_EXIT's. Y_ENTRY is the law at T_ENTRY and the floored strain. The
// table between the planes follows the law to 0.1 % (its tolerance).
TEST(HotPass, LawsAtTheReportedValues) {
  for (const LawCase& c : kLaws) {
    SCOPED_TRACE(c.name);
    const auto s = solve(c.request);
    ASSERT_EQ(s->answer.status, Status::ok);
    const PassValues& v = s->answer.values;
    const double rate = v.EPS_RATE_MEAN;
    const double exitLaw = c.law(c.request, v.T_EXIT, v.EPS_OUT, rate);
    EXPECT_NEAR(v.Y_EXIT, exitLaw, 2e-6 * exitLaw);
    EXPECT_NEAR(s->scratch->exit.step[0].RK, 1.15 * exitLaw, 2e-6 * 1.15 * exitLaw);
    const double entryLaw = c.law(c.request, v.T_ENTRY, c.entryStrain, rate);
    EXPECT_NEAR(v.Y_ENTRY, entryLaw, 2e-6 * entryLaw);
    EXPECT_LE(s->answer.curveFitError, kCurveTableTolerance);
    // EPS_RATE_MEAN = (EPS_OUT - EPS_IN) v / XL, v in mm/s, XL as solved.
    const double expected = (double(v.EPS_OUT) - v.EPS_IN) * (c.request.rollSpeed * 1000 / 60) /
                            s->answer.summary.contactLength;
    EXPECT_NEAR(rate, expected, 2e-6 * expected);
  }
}

// The flattened pass's rate is at R' (the contact length solved), longer
// than at R: the rate is lower than the unflattened pass's.
TEST(HotPass, StrainRateAtTheFlattenedRadius) {
  Request q = kLaws[1].request;
  const auto flat = solve(q);
  q.flatten = false;
  const auto round = solve(q);
  ASSERT_EQ(flat->answer.status, Status::ok);
  EXPECT_GT(flat->answer.values.R_FLAT, q.input.R);
  EXPECT_GT(flat->answer.summary.contactLength, round->answer.summary.contactLength);
  EXPECT_LT(flat->answer.values.EPS_RATE_MEAN, round->answer.values.EPS_RATE_MEAN);
}

// Radiation only: rho c h dT/dt = -2 eps sigma (T^4 - Ta^4), integrated
// here by classical Runge-Kutta with 1 ms steps (its error far below 0.2 K).
double radiated(double T0, double seconds, double hMetres, double eps, double rho, double cp, double Ta) {
  const double sigma = 5.670374419e-8, a4 = std::pow(Ta + 273.15, 4);
  auto f = [&](double T) { return -2 * eps * sigma * (T * T * T * T - a4) / (rho * cp * hMetres); };
  double T = T0 + 273.15;
  const int n = static_cast<int>(seconds * 1000);
  const double dt = seconds / n;
  for (int i = 0; i < n; ++i) {
    const double k1 = f(T), k2 = f(T + dt / 2 * k1), k3 = f(T + dt / 2 * k2), k4 = f(T + dt * k3);
    T += dt / 6 * (k1 + 2 * k2 + 2 * k3 + k4);
  }
  return T - 273.15;
}

TEST(HotPass, Temperatures) {
  struct Case {
    float H1;
    double T, transfer, emissivity;
  };
  for (const Case& c : {Case{25, 1150, 30, 0.8}, Case{40, 1200, 60, 0.7}, Case{4, 950, 5, 0.85}}) {
    Request q = hotRequest(400, c.H1, c.H1 * 0.7f, 60, c.T, FlowLaw::misaka, 0.1);
    q.heat.TRANSFER = c.transfer, q.heat.DESCALE = 0, q.heat.H_CONV = 0, q.heat.EMISSIVITY = c.emissivity;
    q.heat.H_CONTACT = 0;
    const auto s = solve(q);
    ASSERT_EQ(s->answer.status, Status::ok);
    const PassValues& v = s->answer.values;
    EXPECT_NEAR(v.T_ENTRY, radiated(c.T, c.transfer, c.H1 * 1e-3, c.emissivity, 7850, 650, 20), 0.2);
    // No roll chill: the bite adds ETA Y_MEAN (EPS_OUT - EPS_IN) / (rho c).
    const double heating = 0.9 * v.Y_MEAN * kKgfMm2 * (double(v.EPS_OUT) - v.EPS_IN) / (7850.0 * 650.0);
    EXPECT_NEAR(double(v.T_EXIT) - v.T_ENTRY, heating, 2e-4);
    EXPECT_NEAR(v.T_RISE, heating, 1e-5);
    EXPECT_EQ(v.T_DROP_ROLL, 0.0f);
  }
}

// ALPHA: sizes given cold at 20 deg C are solved hot, H (1 + ALPHA (T_ENTRY - 20)).
TEST(HotPass, ColdSizesMadeHot) {
  Request q = hotRequest(400, 20, 14, 60, 1100, FlowLaw::misaka, 0.1);
  q.heat.ALPHA = 1.5e-5;
  const auto s = solve(q);
  ASSERT_EQ(s->answer.status, Status::ok);
  const PassValues& v = s->answer.values;
  const double factor = 1 + 1.5e-5 * (double(v.T_ENTRY) - 20);
  EXPECT_NEAR(v.H1_HOT, 20 * factor, 2e-6);
  EXPECT_NEAR(v.H2_HOT, 14 * factor, 2e-6);
  EXPECT_NEAR(s->answer.summary.contactLength, std::sqrt(400 * (v.H1_HOT - v.H2_HOT) - std::pow(v.H1_HOT - v.H2_HOT, 2) / 4), 1e-3);
}

TEST(HotPass, Refusals) {
  struct Case {
    const char* name;
    Request request;
    Refusal refusal;
  };
  Request noSpeed = hotRequest(400, 20, 14, NAN, 1100, FlowLaw::misaka, 0.1);
  Request badCarbon = hotRequest(400, 20, 14, 60, 1100, FlowLaw::misaka, 1.6);
  Request cold = hotRequest(400, 20, 14, 60, -300, FlowLaw::misaka, 0.1);
  Request noStrain = hotRequest(400, 20, 14, 60, 1100, FlowLaw::misaka, 0.1);
  noStrain.strainKnown = false;
  Request converged = hotRequest(400, 20, 14, 60, 1100, FlowLaw::misaka, 0.1);
  converged.solver = Solver::converged;
  for (const Case& c : {Case{"no speed", noSpeed, Refusal::hotWithoutSpeed},
                        Case{"carbon", badCarbon, Refusal::hotRefused},
                        Case{"below absolute zero", cold, Refusal::hotRefused},
                        Case{"no strain", noStrain, Refusal::hotWithoutStrain},
                        Case{"converged", converged, Refusal::convergedConstants}}) {
    SCOPED_TRACE(c.name);
    const auto s = solve(c.request);
    EXPECT_EQ(s->answer.status, Status::refused);
    EXPECT_EQ(s->answer.refusal, c.refusal);
  }
}

}  // namespace
