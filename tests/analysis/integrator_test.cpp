// The slope functions and the four-stage step: the scheme's own
// coefficients, its roundings, and the worked slip and stick steps.
#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "analysis/analysis.h"
#include "analysis/integrator_scheme.h"

namespace {

using orowan::Real;

// A slope with the step's fixed values as arguments, like the two slopes.
using SlopeFunction = void (*)(const Real& F, Real& slope, const Real& PHI, const Real& H,
                               const Real& U, const Real& RK, const Real& factor,
                               const Real& ROLL_DIAMETER);

// The four-stage scheme with `slope` and the step's fixed values.
void schemeStep(SlopeFunction slope, const Real& F, Real& F_NEXT, const Real& PHI,
                const Real& DPHI, const Real& H, const Real& U, const Real& RK,
                const Real& factor, const Real& D) {
  orowan::fourStageStep(
      [&](const Real& stageF, Real& out, const Real& stageAngle) {
        slope(stageF, out, stageAngle, H, U, RK, factor, D);
      },
      F, F_NEXT, PHI, DPHI);
}

// ---- slope functions --------------------------------------------------

struct SlopeCase {
  const char* what;
  SlopeFunction slope;
  double F, PHI, H, U, RK, factor, ROLL_DIAMETER;
  double expected;
};

void expectSlope(const SlopeCase& c) {
  SCOPED_TRACE(c.what);
  const Real F = c.F, PHI = c.PHI, H = c.H, U = c.U, RK = c.RK, factor = c.factor,
             D = c.ROLL_DIAMETER;
  Real slope;
  c.slope(F, slope, PHI, H, U, RK, factor, D);
  EXPECT_NEAR(slope.v, c.expected, 0.005);  // the worked values have two decimals
}

const SlopeCase kSlopes[] = {
    {"slip", orowan::slopeSlip, -10, 0.05, 1.5, 0.1, 30, 1, 400, 1396.31},
    // PHI = 0: D = 1 and S = U, so 400*30*0.1 - 400*10*0.1/1.5
    {"slip at the exit plane", orowan::slopeSlip, -10, 0, 1.5, 0.1, 30, 1, 400, 933.33},
    {"slip, negated friction", orowan::slopeSlip, -10, 0.05, 1.5, -0.1, 30, 1, 400, -466.47},
    // PHI < 0: D = 1, so S*(12000 - 4000/1.5) with S = sin(-0.05) + 0.1 cos(-0.05)
    // = 0.0498959; a denominator formed at -0.05 would give 466.47 instead.
    {"slip below the exit plane", orowan::slopeSlip, -10, -0.05, 1.5, 0.1, 30, 1, 400,
     465.69},
    // first exit-side step of the example pass: 200 * W * 23 * 0.1
    {"example first step", orowan::slopeSlip, 0, 0, 1.5, 0.1, 23, 0.99156, 200, 456.12},
    {"stick", orowan::slopeStick, -10, 0.05, 1.5, 0.1, 30, 0.6, 400, 7066.72},
    {"stick ignores U", orowan::slopeStick, -10, 0.05, 1.5, -7.0, 30, 0.6, 400, 7066.72},
};

TEST(Integrator, SlopeFunctions) {
  for (const SlopeCase& c : kSlopes) expectSlope(c);
}

// ---- the scheme, with test slopes --------------------------------------

// Stage inputs seen by the recording slopes, in call order.
std::vector<double> stageForces, stageAngles, stageSlopes;

void record(const Real& F, const Real& PHI, const Real& slope) {
  stageForces.push_back(F);
  stageAngles.push_back(PHI);
  stageSlopes.push_back(slope);
}

void constantTwo(const Real& F, Real& slope, const Real& PHI, const Real&, const Real&,
                 const Real&, const Real&, const Real&) {
  slope = 2.0;
  record(F, PHI, slope);
}
void angleCubed(const Real& F, Real& slope, const Real& PHI, const Real&, const Real&,
                const Real&, const Real&, const Real&) {
  slope = PHI * PHI * PHI;
  record(F, PHI, slope);
}
void forceSquared(const Real& F, Real& slope, const Real& PHI, const Real&, const Real&,
                  const Real&, const Real&, const Real&) {
  slope = F * F;
  record(F, PHI, slope);
}
void force(const Real& F, Real& slope, const Real&, const Real&, const Real&, const Real&,
           const Real&, const Real&) {
  slope = F;
}

double step(SlopeFunction f, double F, double PHI, double DPHI) {
  stageForces.clear();
  stageAngles.clear();
  stageSlopes.clear();
  const Real y = F, x = PHI, h = DPHI, unused = 1.0;
  Real next;
  schemeStep(f, y, next, x, h, unused, unused, unused, unused, unused);
  return next;
}

struct SchemeCase {
  const char* what;
  SlopeFunction slope;
  double F, PHI, DPHI;
  std::vector<double> forces, angles;  // expected stage inputs
  double expected;
  double tolerance;
};

void expectScheme(const SchemeCase& c) {
  SCOPED_TRACE(c.what);
  const double next = step(c.slope, c.F, c.PHI, c.DPHI);
  EXPECT_EQ(stageForces, c.forces);
  EXPECT_EQ(stageAngles, c.angles);
  EXPECT_NEAR(next, c.expected, c.tolerance);
}

// Constant slope 2, h = 0.25: every k is 0.5, so the stage forces are
// 1, 1 + 0.25, 1 - 0.25 + 0.5, 1 + 0.25 + 0.25.
// y^2, y = 1, h = 0.5: k1 = 0.5, k2 = 0.5*1.25^2 = 0.78125,
// k3 = 0.5*(1 - 0.25 + 0.78125)^2 = 1.1723633 (exact in single),
// stage 4 at 1 + 0.390625 + 0.5861816 = 1.9768066, k4 = 1.9538822;
// 1 + (0.25 + 1.171875 + 0.5861816 + 0.9769411)/3 = 1.99500.
// The classical scheme would give about 1.98845.
const SchemeCase kSchemes[] = {
    {"constant slope: weights sum to one", constantTwo, 1.0, 0.0, 0.25,
     {1.0, 1.25, 1.25, 1.5}, {0.0, 0.125, 0.125, 0.25}, 1.5, 0},
    {"zero step keeps the force", constantTwo, 3.0, 0.5, 0.0,
     {3.0, 3.0, 3.0, 3.0}, {0.5, 0.5, 0.5, 0.5}, 3.0, 0},
    // Simpson's rule: (0 + 4/8 + 1)/6 = 0.25
    {"angle cubed is Simpson's rule", angleCubed, 0.0, 0.0, 1.0,
     {0.0, 0.0, 0.125, 0.0625 + 0.0625}, {0.0, 0.5, 0.5, 1.0}, 0.25, 0},
    {"force squared stages", forceSquared, 1.0, 0.0, 0.5,
     {1.0, 1.25, 1.53125, 1.9768066}, {0.0, 0.25, 0.25, 0.5}, 1.99500, 5e-6},
    // a negative step evaluates below the starting angle
    {"negative step", constantTwo, 1.0, 0.5, -0.25,
     {1.0, 0.75, 0.75, 0.5}, {0.5, 0.375, 0.375, 0.25}, 0.5, 0},
};

TEST(Integrator, FourStageScheme) {
  for (SchemeCase c : kSchemes) {
    // The stage-4 force of the y^2 case is the single-precision value.
    for (double& f : c.forces) f = static_cast<float>(f);
    expectScheme(c);
  }
}

// dy/dx = y from 0 to 1: halving the step cuts the error about sixteenfold
// (fourth order); a scheme with a wrong coefficient would drop to 4 or 2.
TEST(Integrator, FourthOrder) {
  auto errorWith = [](int steps) {
    Real y = 1.0, x = 0.0;
    const Real h = 1.0 / steps;
    for (int i = 0; i < steps; ++i) {
      Real next;
      const Real unused = 1.0;
      schemeStep(force, y, next, x, h, unused, unused, unused, unused, unused);
      y = next;
      x = x + h;
    }
    return std::fabs(y - std::exp(1.0));
  };
  const double ratio = errorWith(2) / errorWith(4);
  EXPECT_GT(ratio, 12.0);
  EXPECT_LT(ratio, 20.0);
}

// ---- the production steps ----------------------------------------------

struct StepCase {
  const char* what;
  bool slip;
  double F, PHI, DPHI, H, U, RK, factor, ROLL_DIAMETER;
  double expected;
};

void expectStep(const StepCase& c) {
  SCOPED_TRACE(c.what);
  const Real F = c.F, PHI = c.PHI, DPHI = c.DPHI, H = c.H, U = c.U, RK = c.RK,
             factor = c.factor, D = c.ROLL_DIAMETER;
  Real next;
  if (c.slip) {
    orowan::stepSlip(F, next, PHI, DPHI, H, U, RK, factor, D);
  } else {
    orowan::stepStick(F, next, PHI, DPHI, H, U, RK, factor, D);
  }
  EXPECT_NEAR(next.v, c.expected, 5e-6);  // the worked values have six digits
}

const StepCase kSteps[] = {
    {"slip", true, -10, 0.05, 0.001, 1.5, 0.1, 30, 1, 400, -8.57067},
    {"slip toward the exit", true, -10, 0.05, -0.001, 1.5, -0.1, 30, 1, 400, -9.52566},
    {"slip from the exit plane", true, -10, 0, 0.001, 1.5, 0.1, 30, 1, 400, -9.04934},
    {"stick", false, -10, 0.05, 0.001, 1.5, 0.1, 30, 0.6, 400, -2.88668},
};

TEST(Integrator, Steps) {
  for (const StepCase& c : kSteps) expectStep(c);
}

// The stage slopes of the worked slip step, through the same scheme.
void recordedSlip(const Real& F, Real& slope, const Real& PHI, const Real& H, const Real& U,
                  const Real& RK, const Real& W, const Real& D) {
  orowan::slopeSlip(F, slope, PHI, H, U, RK, W, D);
  record(F, PHI, slope);
}

TEST(Integrator, SlipStages) {
  const Real F = -10, PHI = 0.05, DPHI = 0.001, H = 1.5, U = 0.1, RK = 30, W = 1, D = 400;
  stageSlopes.clear();
  Real viaScheme, viaStep;
  schemeStep(recordedSlip, F, viaScheme, PHI, DPHI, H, U, RK, W, D);
  orowan::stepSlip(F, viaStep, PHI, DPHI, H, U, RK, W, D);
  ASSERT_EQ(stageSlopes.size(), 4u);
  const double k[] = {1.39631, 1.42886, 1.43017, 1.46293};
  for (int i = 0; i < 4; ++i) EXPECT_NEAR(0.001 * stageSlopes[i], k[i], 5e-6) << "k" << i + 1;
  EXPECT_EQ(viaScheme.v, viaStep.v);
}

}  // namespace
