// The floor's call list, worked out from the step history of a pass in the
// order in which the march and the integrator ask for each function.
#include "math_floor.h"

#include <bit>
#include <cmath>
#include <cstdint>

#include "analysis/analysis.h"

namespace bench {
namespace {

using orowan::Real;
using orowan::rec;

// A function's one-angle memory, as the analysis keeps it: a request for
// the stored angle of the previous call is no call.
struct Remembered {
  CallList& calls;
  bool known = false;
  std::uint32_t last = 0;
  void ask(const Real& angle) {
    const std::uint32_t bits = std::bit_cast<std::uint32_t>(angle.v);
    if (known && bits == last) return;
    known = true;
    last = bits;
    calls.add(angle);
  }
};

struct Requests {
  Remembered sine, cosine;
  void both(const Real& angle) {
    sine.ask(angle);
    cosine.ask(angle);
  }
};

// The square root of the slip test at step state X, PHI, F (as workOutA).
double slipTestRadicand(const Real& PHI, const Real& F) {
  const Real X = rec.R * std::sin(static_cast<double>(PHI));
  const Real H = (1.0 - std::cos(static_cast<double>(PHI))) * rec.R * 2.0 + rec.H2;
  Real U, RK;
  orowan::lookupFriction(X, U);
  orowan::lookupYieldStress(X, RK);
  const Real c = 1.0 - rec.PI * 0.25;
  const Real b = -(0.5 / U);
  const double B = F / H / RK + 1.0;
  return B * c * 4.0 + b * b;
}

// One slope evaluation at a stage angle.
void stage(Requests& r, bool slip, const Real& angle) {
  r.sine.ask(angle);
  if (!slip) return;
  r.cosine.ask(angle);
  if (angle > 0.0) r.both(angle);
}

// One march step: section, slip test, tangent or stick terms, four stages.
void step(MathTape& tape, Requests& r, const Real& PHI, const Real& F, bool slip, double h) {
  r.both(PHI);
  tape.roots.add(slipTestRadicand(PHI, F));
  if (PHI > 0.0) r.both(PHI);
  if (!slip) r.both(PHI);
  const Real mid = PHI + h / 2.0;
  const Real end = PHI + h;
  stage(r, slip, PHI);
  stage(r, slip, mid);
  stage(r, slip, mid);
  stage(r, slip, end);
}

void march(MathTape& tape, Requests& r, const orowan::StepArray& PHI, const orowan::StepArray& F,
           const orowan::IntegerStepArray& SL_ST, int steps, double h) {
  for (int i = 1; i <= steps && i <= orowan::kHistoryCapacity; ++i)
    step(tape, r, PHI(i), F(i), SL_ST(i) == 1, h);
}

double sumOf(const CallList& list, double (*f)(double)) {
  double sum = 0.0;
  for (int i = 0; i < list.count; ++i) sum += f(list.args[i]);
  return sum;
}

}  // namespace

void recordMathTape(MathTape& tape) {
  tape = MathTape{};
  Requests r{{tape.sines}, {tape.cosines}};
  const double dh = rec.DH;
  tape.roots.add(rec.R * dh - 0.25 * (dh * dh));
  tape.arctangents.add(rec.XL / (rec.R - 0.5 * (rec.H1 - rec.H2)));
  const double h = rec.ANGLE_STEP;
  march(tape, r, rec.EXIT_PHI, rec.EXIT_F, rec.EXIT_SL_ST, rec.EXIT_STEPS, h);
  const int last = rec.EXIT_STEPS;
  if (last >= 1 && last <= orowan::kHistoryCapacity) {
    r.sine.ask(Real(rec.EXIT_PHI(last) + h));  // the position beyond the last step
  }
  march(tape, r, rec.ENTRY_PHI, rec.ENTRY_F, rec.ENTRY_SL_ST, rec.ENTRY_STEPS, -h);
}

double runMathTape(const MathTape& tape) {
  return sumOf(tape.sines, std::sin) + sumOf(tape.cosines, std::cos) +
         sumOf(tape.arctangents, std::atan) + sumOf(tape.roots, std::sqrt);
}

}  // namespace bench
