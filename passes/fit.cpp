// The fits: a one-input search per target (bracket, then findRoot), and
// the nested search for friction and factor from force and slip.
#include "passes/fit.h"

#include <functional>
#include <optional>

#include "passes/solve.h"

namespace orowan::passes {
namespace {

using Probe = std::function<std::optional<double>(double)>;
// The next input of an expanding search up or down its domain, or
// nothing at the domain's end.
using Step = std::function<std::optional<double>(double x, bool up)>;

// A multiplicative domain (0, top]: doubling up to the top, halving down
// to `bottom`.
Step scaling(double bottom, double top) {
  return [bottom, top](double x, bool up) -> std::optional<double> {
    const double next = up ? std::fmin(2 * x, top) : x / 2;
    if (next == x || next < bottom) return std::nullopt;
    return next;
  };
}

// The exit thickness in (0, H1): halving the gap to H1 up, halving H2
// down; the ends at a thousandth of H1.
Step thinning(double H1) {
  return [H1](double x, bool up) -> std::optional<double> {
    const double next = up ? (x + H1) / 2 : x / 2;
    if (up ? H1 - next < 1e-3 * H1 : next < 1e-3 * H1) return std::nullopt;
    return next;
  };
}

struct Point {
  double x, value;
};

// Where an expanding search ended: the last valid point, the next one
// (valid or not) when the target was crossed or the domain ended on a
// pass without a value.
struct Expansion {
  Point last;
  bool crossed = false;
  Point next{};
};

struct Search {
  const Probe& f;
  const Step& step;
  double target;
  int* solves;
  int probeLimit = 60;

  std::optional<double> value(double x) {
    ++*solves;
    return f(double(float(x)));
  }

  // The first input from x0 on (moving `safeUp`) that gives a value.
  std::optional<Point> start(double x0, bool safeUp) {
    double x = x0;
    for (int i = 0; i < probeLimit; ++i) {
      if (const auto v = value(x)) return Point{double(float(x)), *v};
      const auto next = step(x, safeUp);
      if (!next) return std::nullopt;
      x = *next;
    }
    return std::nullopt;
  }

  // Between a valid input and one without a value: the valid input
  // nearest the edge, by bisection on single values.
  Point edge(Point good, double bad) {
    for (int i = 0; i < 40; ++i) {
      const float a = float(good.x), b = float(bad);
      if (a == b || std::nextafter(a, b) == b) break;
      const double mid = double(float((double(a) + double(b)) / 2));
      if (const auto v = value(mid)) good = {mid, *v};
      else bad = mid;
    }
    return good;
  }

  // From `from` in direction `up` until the target lies between two
  // valid points, or the domain (or the passes with values) ends.
  Expansion expand(Point from, bool up) {
    Expansion e{from};
    for (int i = 0; i < probeLimit; ++i) {
      const auto next = step(e.last.x, up);
      if (!next) return e;
      const auto v = value(*next);
      if (!v) {
        e.last = edge(e.last, *next);
        return e;
      }
      const Point p{double(float(*next)), *v};
      if ((p.value - target > 0) != (e.last.value - target > 0)) {
        e.crossed = true;
        e.next = p;
        return e;
      }
      e.last = p;
    }
    return e;
  }
};

// One input searched for one target: bracket from the start, then
// findRoot; out of range, the range over the whole domain.
FitOutcome searchOne(const Probe& f, const Step& step, double target, double x0, bool increasing, bool safeUp,
                     const RootOptions& options) {
  FitOutcome out;
  Search s{f, step, target, &out.solves};
  const auto first = s.start(x0, safeUp);
  if (!first) return out;  // failed: no input gives a value
  if (std::fabs(first->value - target) <= options.targetTolerance * std::fabs(target)) {
    out.status = FitStatus::met;  // the start's pass is the last solved: the answer
    out.U = first->x;
    return out;
  }
  const bool up = (target > first->value) == increasing;
  const Expansion e = s.expand(*first, up);
  if (e.crossed) {
    RootOptions o = options;
    o.maxEvaluations = std::max(4, options.maxEvaluations - out.solves);
    const RootResult r = findRoot(f, target, e.last.x, e.next.x, o);
    out.solves += r.evaluations;
    if (r.status == RootStatus::met || r.status == RootStatus::jump || r.status == RootStatus::limit) {
      out.status = r.status == RootStatus::met ? FitStatus::met : FitStatus::jump;
      if (r.status == RootStatus::limit) out.status = FitStatus::jump;
      out.U = r.x;  // the caller moves it to its input
      return out;
    }
    out.status = FitStatus::failed;
    return out;
  }
  if (e.last.value == target) {  // met at the last point: solve it again so it is the answer
    s.value(e.last.x);
    out.status = FitStatus::met;
    out.U = e.last.x;
    return out;
  }
  // Out of range: the other way too, for the reachable range.
  const Expansion other = s.expand(*first, !up);
  const Point& a = e.last;
  const Point& b = other.crossed ? other.next : other.last;
  const bool lowA = a.value <= b.value;
  out.rangeLow = lowA ? a.value : b.value;
  out.rangeHigh = lowA ? b.value : a.value;
  out.lowInput = lowA ? a.x : b.x;
  out.highInput = lowA ? b.x : a.x;
  out.status = target < out.rangeLow ? FitStatus::belowRange : FitStatus::aboveRange;
  if (target >= out.rangeLow && target <= out.rangeHigh) out.status = FitStatus::failed;
  return out;
}

// The pass's force, or nothing without a neutral point.
std::optional<double> forceOf(const Answer& a) {
  if (!hasNeutralPoint(a) || !std::isfinite(a.summary.rollingForce)) return std::nullopt;
  return a.summary.rollingForce;
}

struct Fitter {
  const Request& base;
  const FitGoal& goal;
  Answer& answer;
  PassResult& scratch;
  PropertyPoints table;

  std::optional<double> forceAt(const Request& r) {
    solveRequest(r, answer, scratch);
    return forceOf(answer);
  }

  // The factor for the force with friction u (u NaN: the request's).
  FitOutcome factorFor(double u, double startFactor) {
    const Probe f = [&](double k) {
      Request r = withFlowFactor(base, k, table);
      if (std::isfinite(u)) r.input.friction = float(u);
      return forceAt(r);
    };
    const FitOutcome o = searchOne(f, scaling(1e-3, kMaxFactor), goal.force, startFactor, true, true, goal.root);
    return moved(o, &FitOutcome::factor);
  }

  // The searched input from the outcome's U slot to its own.
  static FitOutcome moved(FitOutcome o, double FitOutcome::*to) {
    if (to != &FitOutcome::U) {
      o.*to = o.U;
      o.U = NAN;
    }
    return o;
  }

  FitOutcome friction() {
    if (base.frictionTable != nullptr) {
      FitOutcome o;
      o.status = FitStatus::refused;
      o.why = "a friction table cannot be fitted; give a constant friction coefficient";
      return o;
    }
    const Probe f = [&](double u) {
      Request r = base;
      r.input.friction = float(u);
      return forceAt(r);
    };
    const double u0 = base.input.friction > 0 ? base.input.friction : 0.1;
    return searchOne(f, scaling(1e-4, kMaxFriction), goal.force, u0, true, true, goal.root);
  }

  FitOutcome exitThickness() {
    const double H1 = base.input.H1;
    const Probe f = [&](double h) {
      Request r = base;
      r.input.H2 = float(h);
      return forceAt(r);
    };
    const double h0 = base.input.H2 > 0 && base.input.H2 < H1 ? base.input.H2 : 0.8 * H1;
    return moved(searchOne(f, thinning(H1), goal.force, h0, false, true, goal.root), &FitOutcome::H2);
  }

  // U for the slip, the factor refitted for the force at every U tried.
  FitOutcome frictionAndFactor() {
    int inner = 0;
    double factor = goal.startFactor;
    bool forceMissed = false;
    FitOutcome forceOutcome;
    const Probe f = [&](double u) -> std::optional<double> {
      const FitOutcome o = factorFor(u, factor);
      inner += o.solves;
      if (o.status != FitStatus::met && o.status != FitStatus::jump) {
        forceMissed = true;
        forceOutcome = o;
        return std::nullopt;
      }
      factor = o.factor;
      return double(answer.values.FORWARD_SLIP);
    };
    const double u0 = base.input.friction > 0 ? base.input.friction : 0.1;
    FitOutcome o = searchOne(f, scaling(1e-4, kMaxFriction), goal.forwardSlip, u0, true, true, goal.root);
    o.solves = inner;
    o.factor = factor;
    o.slipOutOfRange = o.status == FitStatus::belowRange || o.status == FitStatus::aboveRange;
    if (o.status == FitStatus::failed && forceMissed) {
      forceOutcome.solves = inner;
      return forceOutcome;
    }
    return o;
  }
};

// Refuses a goal without the targets it needs.
const char* goalProblem(const Request& request, const FitGoal& goal) {
  if (!(goal.force > 0) || !std::isfinite(goal.force)) return "the measured force must be a number above 0";
  if (goal.target == FitTarget::frictionAndFactor && !std::isfinite(goal.forwardSlip))
    return "fitting friction and flow factor together needs the measured forward slip";
  if (goal.target == FitTarget::exitThickness && !(request.input.H1 > 0))
    return "fitting the exit thickness needs an entry thickness above 0";
  if (request.solver != Solver::console) return "fits take the console's solver";
  return nullptr;
}

}  // namespace

Request withFlowFactor(const Request& request, double factor, PropertyPoints& table) {
  Request r = request;
  if (r.hasCurve) {
    r.curve.K *= factor;
    r.curve.S0 *= factor;
  } else if (r.yieldTable != nullptr) {
    table = *r.yieldTable;
    for (int i = 0; i < table.count; ++i) table.values[i] = float(double(table.values[i]) * factor);
    r.yieldTable = &table;
  } else {
    r.input.meanYieldStress = float(double(r.input.meanYieldStress) * factor);
  }
  return r;
}

FitOutcome fitPass(const Request& request, const FitGoal& goal, Answer& answer, PassResult& scratch) {
  if (const char* why = goalProblem(request, goal)) {
    FitOutcome o;
    o.status = FitStatus::refused;
    o.why = why;
    return o;
  }
  Fitter fitter{request, goal, answer, scratch, {}};
  FitOutcome o;
  switch (goal.target) {
    case FitTarget::friction: o = fitter.friction(); break;
    case FitTarget::flowFactor: o = fitter.factorFor(NAN, goal.startFactor); break;
    case FitTarget::frictionAndFactor: o = fitter.frictionAndFactor(); break;
    case FitTarget::exitThickness: o = fitter.exitThickness(); break;
  }
  if (o.status != FitStatus::met && o.status != FitStatus::jump) return o;
  // The inputs the fitted pass took, and its misses.
  if (std::isnan(o.U)) o.U = request.input.friction;
  if (std::isnan(o.factor)) o.factor = 1.0;
  if (std::isnan(o.H2)) o.H2 = request.input.H2;
  o.forceMiss = (answer.summary.rollingForce - goal.force) / goal.force;
  if (std::isfinite(goal.forwardSlip) && goal.forwardSlip != 0)
    o.slipMiss = (double(answer.values.FORWARD_SLIP) - goal.forwardSlip) / goal.forwardSlip;
  return o;
}

}  // namespace orowan::passes
