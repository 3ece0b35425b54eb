// The F chains of a pass with their angle terms taken from a table. The
// formulas are the analysis's (analysis/march_steps.h, integrator_scheme.h)
// in the same precision and order; the slope stages run through the
// analysis's own FourStageStep.
#include "chain_floor.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "analysis/angle_terms.h"
#include "analysis/integrator_scheme.h"

namespace bench {
namespace {

using orowan::Real;

// The terms of one step from its stored section (the analysis's formulas).
ChainStep termsOf(const orowan::StepValues& v, double h, bool fromExit, float PI) {
  orowan::AngleMemory m;
  ChainStep t{v.H, v.U, v.RK, 0, {}, {}, {}};
  const Real PHI = v.PHI;
  const Real angles[3] = {PHI, Real(PHI + h / 2.0), Real(PHI + h)};
  const Real U = fromExit ? v.U : -v.U;
  for (int k = 0; k < 3; ++k) {
    const Real& a = angles[k];
    t.S[k] = Real(orowan::sineOf(m, a) + U * orowan::cosineOf(m, a)).v;
    t.D[k] = a > 0.0 ? Real(1.0 + U * orowan::tangentTerm(m, a)).v : 1.0f;
    t.sine[k] = Real(orowan::sineOf(m, a)).v;
  }
  const Real W = Real(PI) * 0.25;
  Real factor = W;
  if (PHI > 0.0) {
    const double correction = 0.5 * orowan::tangentTerm(m, PHI);
    factor = fromExit ? W - correction : W + correction;
  }
  const double lean = orowan::sineOf(m, PHI) * factor;
  const double half = 0.5 * orowan::cosineOf(m, PHI);
  t.STICK_TERM = Real(fromExit ? lean + half : lean - half).v;
  return t;
}

ChainMarch marchOf(const orowan::March& march, float step, bool fromExit, float PI) {
  ChainMarch m;
  m.h = fromExit ? step : -step;
  m.F0 = march.step[0].F;
  for (int i = 0; i < march.steps; ++i) {
    m.steps.push_back(termsOf(march.step[i], m.h, fromExit, PI));
    m.F.push_back(march.step[i].F);
  }
  return m;
}

// The slope at stage `stage` (0, 1, 1, 2: the stage angle's terms).
struct TabledSlope {
  const ChainStep* t;
  Real W, RD;
  bool slip;
  int* stage;
  void operator()(const Real& F, Real& slope, const Real&) const {
    static constexpr int kAngle[4] = {0, 1, 1, 2};
    const int k = kAngle[(*stage)++];
    if (slip) {
      const Real T = RD * F * Real(t->S[k]) / Real(t->H);
      slope = RD * W * Real(t->RK) * Real(t->S[k]) + T;
      slope = slope / Real(t->D[k]);
    } else {
      const Real T = RD * F * Real(t->sine[k]) / Real(t->H);
      slope = RD * Real(t->STICK_TERM) * Real(t->RK) + T;
    }
  }
};

// One march's chain position: its F and the stage counter of its slope.
struct Runner {
  const Chain& chain;
  const ChainMarch& march;
  Real F;
  int stage = 0;

  // The step's four-stage scheme at F, its slip test and W as the
  // analysis works them out.
  orowan::FourStageStep<TabledSlope> begin(int i) {
    const ChainStep& t = march.steps[static_cast<std::size_t>(i)];
    const Real c = chain.c;
    const Real b = -(0.5 / Real(t.U));
    const double B = F / Real(t.H) / Real(t.RK) + 1.0;
    const double A = (std::sqrt(B * c * 4.0 + b * b) + b) * 0.5 / c;
    const bool slip = A < 1.0;
    const Real stored = A;
    const Real W = slip ? Real(1.0 - stored * stored * c) : Real(chain.PI * 0.25);
    stage = 0;
    return {TabledSlope{&t, W, chain.ROLL_DIAMETER, slip, &stage}, F, Real(0.0), march.h};
  }

  // Step i with its stages in a row.
  void stepAlone(std::size_t i) {
    auto step = begin(static_cast<int>(i));
    F = orowan::takeStages(step);
  }
};

}  // namespace

Chain chainOf(const orowan::PassInput& input) {
  auto result = std::make_unique<orowan::PassResult>();
  orowan::solvePass(input, *result);
  const float PI = orowan::single(3.1415927);
  Chain chain{Real(1.0 - Real(PI) * 0.25).v, PI, result->ROLL_DIAMETER, {}, {}};
  chain.exit = marchOf(result->exit, result->ANGLE_STEP, true, PI);
  chain.entry = marchOf(result->entry, result->ANGLE_STEP, false, PI);
  return chain;
}

double chainInTurn(const Chain& chain) {
  double last = 0.0;
  for (const ChainMarch* m : {&chain.exit, &chain.entry}) {
    Runner run{chain, *m, m->F0};
    for (std::size_t i = 0; i < m->steps.size(); ++i) run.stepAlone(i);
    last += run.F;
  }
  return last;
}

double chainSideBySide(const Chain& chain) {
  Runner a{chain, chain.exit, chain.exit.F0}, b{chain, chain.entry, chain.entry.F0};
  const std::size_t both = std::min(chain.exit.steps.size(), chain.entry.steps.size());
  for (std::size_t i = 0; i < both; ++i) {
    auto stepA = a.begin(static_cast<int>(i));
    auto stepB = b.begin(static_cast<int>(i));
    orowan::takeStagesSideBySide(stepA, stepB, a.F, b.F, [] {});
  }
  for (Runner* r : {&a, &b})
    for (std::size_t i = both; i < r->march.steps.size(); ++i) r->stepAlone(i);
  return a.F + b.F;
}

bool chainMatchesPass(const Chain& chain) {
  for (const ChainMarch* m : {&chain.exit, &chain.entry}) {
    Runner run{chain, *m, m->F0};
    for (std::size_t i = 0; i < m->steps.size(); ++i) {
      if (run.F.v != m->F[i]) return false;
      run.stepAlone(i);
    }
  }
  return true;
}

}  // namespace bench
