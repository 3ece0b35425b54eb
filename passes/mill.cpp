// The flattened roll radius by Hitchcock's equation, solved around the
// library call, and the slips, speeds and power read off the neutral point.
#include "passes/mill.h"

#include <cmath>
#include <functional>

namespace orowan::passes {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kTolerance = 1e-7;   // bracket width, relative: below 1 part in 10^6
constexpr double kLargestRatio = 1000;  // R'/R beyond which no radius is looked for
constexpr double kKilonewtonsPerTonne = 9.80665;

struct Probe {
  double r = 0, h = 0;  // radius and Hitchcock's residual T(r) - r
};

struct Search {
  double R, dh;
  const RollElasticity& rolls;
  const ForceAtRadius& forceAt;
  Flattening& outcome;
  Probe last;
  bool stopped = false;  // outcome.status says why

  void stop(FlatteningStatus why) {
    outcome.status = why;
    stopped = true;
  }

  // The residual at r (as the single value a pass takes); false when the
  // pass there gives no force or the limit is reached.
  bool probe(double r) {
    if (outcome.iterations >= kFlatteningLimit) {
      stop(FlatteningStatus::notSettled);
      return false;
    }
    const float radius = static_cast<float>(r);
    double force = 0;
    const FlatteningStatus got = forceAt(radius, force);
    ++outcome.iterations;
    outcome.R_FLAT = radius;
    if (got != FlatteningStatus::settled) {
      stop(got);
      return false;
    }
    last = {radius, hitchcockRadius(R, force, dh, rolls) - double(radius)};
    return true;
  }
  bool settles() const { return std::fabs(last.h) <= kTolerance * last.r; }
};

// From lo (residual > 0) upward: steps twice the fixed-point step, and
// further while the residual stays positive, until it turns negative (the
// bracket [lo, hi]) or the radius passes kLargestRatio R.
bool bracket(Search& s, Probe& lo, Probe& hi) {
  double step = 2 * lo.h;
  for (;;) {
    const double r = lo.r + step;
    if (r > kLargestRatio * s.R) {
      s.stop(FlatteningStatus::belowMinimumGauge);
      return false;
    }
    if (!s.probe(r)) return false;
    if (s.last.h <= 0) {
      hi = s.last;
      return true;
    }
    lo = s.last;
    step *= 2;
  }
}

// Regula falsi with the Illinois halving until the residual is within the
// tolerance or the bracket is narrower than it (no single value left
// between, or a jump of the force between neighbouring radii); the answer
// is then the side with the smaller residual.
bool closeBracket(Search& s, Probe lo, Probe hi) {
  int keptSide = 0;
  double hlo = lo.h, hhi = hi.h;
  while (hi.r - lo.r > kTolerance * lo.r) {
    const double x = hi.r - hhi * (hi.r - lo.r) / (hhi - hlo);
    if (!s.probe(x)) return false;
    if (s.settles() || s.last.r <= lo.r || s.last.r >= hi.r) break;
    if (s.last.h > 0) {
      lo = s.last, hlo = s.last.h;
      if (keptSide == 1) hhi /= 2;
      keptSide = 1;
    } else {
      hi = s.last, hhi = s.last.h;
      if (keptSide == -1) hlo /= 2;
      keptSide = -1;
    }
  }
  const Probe& best = std::fabs(lo.h) < std::fabs(hi.h) ? lo : hi;
  if (s.last.r != best.r && std::fabs(s.last.h) > std::fabs(best.h) && !s.probe(best.r))
    return false;  // the caller's pass is to be the one at the answer
  return true;
}

}  // namespace

double hitchcockRadius(double R, double force, double dh, const RollElasticity& rolls) {
  return R * (1.0 + 16.0 * (1.0 - rolls.NU * rolls.NU) * force / (kPi * rolls.E * dh));
}

Flattening findFlattenedRadius(double R, double dh, const RollElasticity& rolls,
                               const ForceAtRadius& forceAt) {
  Flattening outcome;
  Search s{R, dh, rolls, forceAt, outcome, {}};
  if (!s.probe(R)) return outcome;
  Probe lo = s.last, hi;
  if (s.settles() || (bracket(s, lo, hi) && closeBracket(s, lo, hi)))
    outcome.status = FlatteningStatus::settled;
  outcome.residual = s.last.h / s.last.r;
  return outcome;
}

Flattening solveFlattened(const PassInput& input, const RollElasticity& rolls,
                          PassResult& result) {
  const ForceAtRadius forceAt = [&](float radius, double& force) {
    PassInput at = input;
    at.R = radius;
    solvePass(at, result);
    force = result.ROLLING_FORCE;
    if (result.outcome == Outcome::neutralPoint) return FlatteningStatus::settled;
    return result.outcome == Outcome::fault ? FlatteningStatus::fault
                                            : FlatteningStatus::noNeutralPoint;
  };
  return findFlattenedRadius(input.R, double(input.H1) - double(input.H2), rolls, forceAt);
}

MillOutputs millOutputs(const PassInput& input, const PassResult& result, double rollSpeed) {
  MillOutputs out;
  const StepValues& neutral = result.exit.step[result.NEUTRAL_STEP - 1];
  const double hn = neutral.H, H1 = input.H1, H2 = input.H2;
  out.FORWARD_SLIP = (hn - H2) / H2;
  out.BACKWARD_SLIP = (H1 - hn) / H1;
  if (std::isnan(rollSpeed)) return out;
  const double flow = hn * rollSpeed * std::cos(double(neutral.PHI));  // mm m/min
  out.V_EXIT = flow / H2;
  out.V_ENTRY = flow / H1;
  const double angularSpeed = (rollSpeed / 60.0) / (double(input.R) / 1000.0);  // rad/s
  out.POWER = double(result.G) * kKilonewtonsPerTonne * angularSpeed;
  return out;
}

}  // namespace orowan::passes
