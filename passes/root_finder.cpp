// Bracketed root finding for results with small jumps.
#include "passes/root_finder.h"

#include <cmath>

namespace orowan::passes {
namespace {

struct Probe {
  double x, r;  // input and residual f(x) - target
};

struct Finder {
  const std::function<std::optional<double>(double)>& f;
  double target;
  const RootOptions& options;
  RootResult result;

  // The input as the pass takes it.
  double snap(double x) const { return options.singleInputs ? double(static_cast<float>(x)) : x; }

  std::optional<Probe> probe(double x) {
    ++result.evaluations;
    const std::optional<double> value = f(x);
    if (!value || !std::isfinite(*value)) {
      result.status = RootStatus::failed;
      result.failedAt = x;
      return std::nullopt;
    }
    return Probe{x, *value - target};
  }

  bool met(const Probe& p) const {
    const double scale = target != 0 ? std::fabs(target) : 1.0;
    return std::fabs(p.r) <= options.targetTolerance * scale;
  }

  // No input of the pass left strictly between a and b.
  bool closed(double a, double b) const {
    if (options.singleInputs) {
      const float fa = static_cast<float>(a), fb = static_cast<float>(b);
      return std::nextafter(fa, fb) == fb || fa == fb;
    }
    return std::fabs(b - a) <= 1e-15 * std::fmax(std::fabs(a), std::fabs(b));
  }

  void answer(const Probe& p, RootStatus status) {
    result.status = status;
    result.x = p.x;
    result.value = p.r + target;
  }
};

}  // namespace

RootResult findRoot(const std::function<std::optional<double>(double)>& f, double target, double lo,
                    double hi, const RootOptions& options) {
  Finder s{f, target, options, {}};
  std::optional<Probe> a = s.probe(s.snap(lo));
  if (!a) return s.result;
  if (s.met(*a)) return s.answer(*a, RootStatus::met), s.result;
  std::optional<Probe> b = s.probe(s.snap(hi));
  if (!b) return s.result;
  s.result.rangeLow = std::fmin(a->r, b->r) + target;
  s.result.rangeHigh = std::fmax(a->r, b->r) + target;
  if (s.met(*b)) return s.answer(*b, RootStatus::met), s.result;
  if ((a->r > 0) == (b->r > 0)) {
    s.result.status = a->r > 0 ? RootStatus::belowRange : RootStatus::aboveRange;
    return s.result;
  }
  // Regula falsi with the Illinois halving of the side kept twice; a
  // bisection whenever the interpolated input would not shrink the
  // bracket by a quarter (a jump makes the line a poor guide).
  double ra = a->r, rb = b->r;
  int kept = 0;
  Probe last = *b;
  while (!s.closed(a->x, b->x)) {
    if (s.result.evaluations >= options.maxEvaluations) {
      s.answer(std::fabs(a->r) < std::fabs(b->r) ? *a : *b, RootStatus::limit);
      return s.result;
    }
    double x = b->x - rb * (b->x - a->x) / (rb - ra);
    const double width = std::fabs(b->x - a->x);
    if (!(std::fabs(x - a->x) > 0.25 * width && std::fabs(b->x - x) > 0.25 * width) && kept != 0)
      x = 0.5 * (a->x + b->x);
    x = s.snap(x);
    if (x == a->x || x == b->x) x = s.snap(0.5 * (a->x + b->x));
    if (x == a->x || x == b->x) break;  // nothing representable between
    const std::optional<Probe> p = s.probe(x);
    if (!p) return s.result;
    last = *p;
    if (s.met(*p)) return s.answer(*p, RootStatus::met), s.result;
    if ((p->r > 0) == (a->r > 0)) {
      a = p, ra = p->r;
      if (kept == 1) rb /= 2;
      kept = 1;
    } else {
      b = p, rb = p->r;
      if (kept == -1) ra /= 2;
      kept = -1;
    }
  }
  const Probe& best = std::fabs(a->r) < std::fabs(b->r) ? *a : *b;
  if (last.x != best.x && !s.probe(best.x)) return s.result;  // the caller's pass at the answer
  s.answer(best, RootStatus::jump);
  return s.result;
}

}  // namespace orowan::passes
