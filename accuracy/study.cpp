// Both solvers on each pass of the study, and the statistics of their
// differences.
#include "accuracy/study.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cmath>
#include <limits>
#include <memory>
#include <numbers>
#include <thread>

#include "accuracy/classic.h"
#include "accuracy/converged.h"

namespace orowan::accuracy {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

Verdict verdictOf(const orowan::PassResult& r) {
  switch (r.outcome) {
    case orowan::Outcome::neutralPoint: return {true, "ok"};
    case orowan::Outcome::noNeutralPoint: return {false, "no neutral point"};
    case orowan::Outcome::fault: break;
  }
  return {false, "M" + std::to_string(r.fault.number)};
}

Verdict verdictOf(const Solution& s) {
  switch (s.status) {
    case Status::ok: return {true, "ok"};
    case Status::noNeutralPoint: return {false, "no neutral point"};
    case Status::notConverged: return {false, "not converged"};
    case Status::fault: break;
  }
  static const char* const kinds[] = {"none", "domain", "divide by zero", "overflow"};
  return {false, std::string("fault: ") + kinds[static_cast<int>(s.fault.kind)]};
}

// Share of the nodes of both marches that stick.
double stickShareOf(const Solution& s) {
  int stick = 0, all = 0;
  for (const auto* steps : {&s.exitSteps, &s.entrySteps})
    for (const StepRecord& r : *steps) stick += r.slipStick == 2, ++all;
  return all == 0 ? 0.0 : static_cast<double>(stick) / all;
}

// The console's errors relative to the converged answer.
void setErrors(const orowan::PassResult& r, const Solution& s, PassComparison& c) {
  const double consoleAngle = r.exit.step[r.NEUTRAL_STEP - 1].PHI;
  c.error[0] = r.ROLLING_FORCE / s.rollingForce - 1.0;
  c.error[1] = r.G / s.torque - 1.0;
  c.error[2] = r.TORQUE_ARM / s.torqueArm - 1.0;
  c.error[3] = r.PM / s.meanPressure - 1.0;
  c.error[4] = consoleAngle / s.neutralAngle - 1.0;
  c.error[5] = (consoleAngle - s.neutralAngle) / s.contactAngle;
}

// The step-count parts and the rectangle sums' estimates of the force and
// torque errors.
void setParts(const PassConditions& pass, const Solution& s, PassComparison& c) {
  const Solution own = solveConsoleScheme(pass);
  const Solution even = solveConsoleScheme(pass, {.singlePrecisionGrid = false});
  c.stepCountPart.fill(kNaN);  // unless both grids find a neutral point
  if (own.status == Status::ok && even.status == Status::ok) {
    c.stepCountPart[0] = (own.rollingForce - even.rollingForce) / s.rollingForce;
    c.stepCountPart[1] = (own.torque - even.torque) / s.torque;
  }
  const double dX = s.contactLength / 400.0;
  const StepRecord &exitPlane = s.exitSteps.front(), &entryPlane = s.entrySteps.front();
  const double rise = 2.0 * s.neutralPressure - exitPlane.P - entryPlane.P;
  c.rectanglePart[0] = -0.5 * dX * rise / s.rollingForce;
  const double momentRise = 2.0 * s.neutralPressure * s.neutralX - entryPlane.P * entryPlane.X;
  c.rectanglePart[1] = -0.5 * dX * momentRise / (s.torque * 1000.0 / 2.0);
}

// The formulas where they apply: Ekelund, Hill and Sims without tensions.
void setFormulas(const PassConditions& pass, PassComparison& c) {
  const ClassicInput in = classicInputFrom(pass);
  const bool tensionFree = pass.backTension == 0.0 && pass.frontTension == 0.0;
  c.formulaForce[0] = tensionFree ? ekelundForce(in) : kNaN;
  c.formulaForce[1] = tensionFree ? hillForce(in) : kNaN;
  c.formulaForce[2] = tensionFree ? simsResult(in).force : kNaN;
  c.formulaForce[3] = blandFordResult(in).force;
  if (tensionFree) {
    PassConditions sticking = pass;
    sticking.friction = 10.0;
    const Solution s = solveConverged(sticking);
    c.stickingForce = s.status == Status::ok ? s.rollingForce : kNaN;
  }
}

}  // namespace

const char* quantityName(Quantity q) {
  static const char* const names[] = {"rolling force",    "torque",        "torque arm",
                                      "mean roll pressure", "neutral angle",
                                      "neutral angle / contact angle"};
  return names[static_cast<int>(q)];
}

const char* contactName(ArcContact c) {
  static const char* const names[] = {"slip", "stick", "mixed"};
  return names[static_cast<int>(c)];
}

PassComparison comparePass(const StudyPass& pass) {
  PassComparison c;
  c.pass = pass;
  c.error.fill(kNaN);
  c.formulaForce.fill(kNaN);
  c.stickingForce = kNaN;
  const auto result = std::make_unique<orowan::PassResult>();
  orowan::solvePass(pass.console, *result);
  const Solution s = solveConverged(pass.exact, {.keepSteps = true});
  c.console = verdictOf(*result);
  c.converged = verdictOf(s);
  c.exitSteps = result->exit.steps, c.entrySteps = result->entry.steps;
  c.convergedSteps = s.stepsPerSide;
  c.stickShare = stickShareOf(s);
  c.contact = c.stickShare == 0.0   ? ArcContact::slip
              : c.stickShare == 1.0 ? ArcContact::stick
                                    : ArcContact::mixed;
  setFormulas(pass.exact, c);
  if (!c.converged.ok) return c;
  c.force = s.rollingForce, c.neutralAngle = s.neutralAngle, c.contactAngle = s.contactAngle;
  c.peakRatio = s.neutralPressure / s.meanPressure;
  if (!c.console.ok) return c;
  setErrors(*result, s, c);
  setParts(pass.exact, s, c);
  return c;
}

std::vector<PassComparison> comparePasses(const std::vector<StudyPass>& passes, int threads) {
  std::vector<PassComparison> out(passes.size());
  std::atomic<size_t> next{0};
  const auto work = [&] {
    for (size_t i; (i = next++) < passes.size();) out[i] = comparePass(passes[i]);
  };
  std::vector<std::thread> pool;
  for (int t = 1; t < std::max(threads, 1); ++t) pool.emplace_back(work);
  work();
  for (std::thread& t : pool) t.join();
  return out;
}

double quantile(const std::vector<double>& sorted, double q) {
  if (sorted.empty()) return kNaN;
  const double rank = q * static_cast<double>(sorted.size() - 1);
  const size_t low = static_cast<size_t>(std::floor(rank));
  const size_t high = std::min(low + 1, sorted.size() - 1);
  return sorted[low] + (rank - static_cast<double>(low)) * (sorted[high] - sorted[low]);
}

ErrorSummary summarize(const std::vector<PassComparison>& passes, Quantity q) {
  ErrorSummary s;
  std::vector<double> magnitudes, signedErrors;
  const int k = static_cast<int>(q);
  for (size_t i = 0; i < passes.size(); ++i) {
    const PassComparison& c = passes[i];
    if (!c.console.ok || !c.converged.ok) continue;
    const double e = c.error[k];
    if (s.worstPass < 0 || std::fabs(e) > s.max) s.max = std::fabs(e), s.worstPass = int(i);
    magnitudes.push_back(std::fabs(e));
    signedErrors.push_back(e);
  }
  std::sort(magnitudes.begin(), magnitudes.end());
  std::sort(signedErrors.begin(), signedErrors.end());
  s.count = static_cast<int>(magnitudes.size());
  s.median = quantile(magnitudes, 0.5);
  s.p95 = quantile(magnitudes, 0.95);
  s.signedMedian = quantile(signedErrors, 0.5);
  return s;
}

std::string percentText(double fraction) {
  char text[32];
  std::snprintf(text, sizeof text, "%+.2f %%", 100.0 * fraction);
  return text;
}

namespace {

std::string oneDecimal(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", value);
  return text;
}

// Force, torque, mean pressure: the parts of the error (k 0 force, 1 torque).
std::string loadReason(const PassComparison& c, int k) {
  const std::string hill = "rectangle sums on a friction hill of peak " +
                           oneDecimal(c.peakRatio) + " x mean: " + percentText(c.rectanglePart[k]);
  const std::string rest = "held terms and rounding: " +
                           percentText(c.error[k] - c.stepCountPart[k] - c.rectanglePart[k]);
  if (!std::isfinite(c.stepCountPart[k]))
    return "on exactly 400 steps the console's scheme finds no neutral point (the force curves "
           "cross at a shallow angle); " + hill;
  if (c.exitSteps > 400 || c.entrySteps > 400)
    return std::to_string(c.exitSteps) + " steps: the interval at the neutral point counted twice: " +
           percentText(c.stepCountPart[k]) + "; " + hill + "; " + rest;
  return hill + "; " + rest;
}

// The neutral angle: where the console's node lies, in steps of its grid.
std::string angleReason(const PassComparison& c, Quantity q) {
  const double step = c.contactAngle / 400.0;
  const double off = c.error[5] * c.contactAngle / step, at = c.neutralAngle / step;
  const std::string node = "the console's neutral node is " + oneDecimal(off) + " steps off";
  if (std::fabs(off) > 1.0)
    return node + ": the force curves cross at a shallow angle, so their first-order errors " +
           "move the crossing by more than the search's one step";
  if (q == Quantity::neutralAngle)
    return "neutral point " + oneDecimal(at) + " steps from the exit plane; " + node;
  return node + " (the discrete search: at most one step past the crossing)";
}

}  // namespace

std::string explanation(const PassComparison& c, Quantity q) {
  if (!c.console.ok || !c.converged.ok) return "";
  switch (q) {
    case Quantity::neutralAngle:
    case Quantity::neutralOfContact: return angleReason(c, q);
    case Quantity::torqueArm:
      return "the rectangle sums weight P X otherwise than P: estimates " +
             percentText(c.rectanglePart[1]) + " on the torque, " +
             percentText(c.rectanglePart[0]) + " on the force; errors " +
             percentText(c.error[1]) + " and " + percentText(c.error[0]);
    case Quantity::torque: return loadReason(c, 1);
    default: return loadReason(c, 0);
  }
}

}  // namespace orowan::accuracy
