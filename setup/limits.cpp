// The search for a distribution within the mill's limits.
//
// Variables: the logarithms of the thicknesses after passes 1..n-1.
// Constraints, each <= 0: every pass reduces (ln H_i - ln H_(i-1) plus
// the least reduction), and every limit of every stand as the load's
// excess over it relative to the limit (a pass without loads counts as
// 1, a limit exceeded twice over). COBYLA first minimises the distance
// to the asked ratios under them; when it ends outside the limits, a
// second run minimises the largest excess alone, and a third starts the
// distance again from the point it reached.
#include "setup/limits.h"

#include <algorithm>
#include <cmath>

#include <nlopt.hpp>

#include "setup/units.h"

namespace orowan::setup {
namespace {

constexpr double kLeastLogReduction = 1e-4;
constexpr int kEvaluations = 400;
// COBYLA ends within its tolerances, which may leave a constraint a hair
// over: the search aims this far (relative) inside every limit.
constexpr double kLimitMargin = 5e-4;

// The excesses of a pass over its stand's limits, relative to each limit.
void addExcesses(const Mill& mill, const PassLine& l, std::vector<double>& out) {
  const Stand& s = standOf(mill, l.pass - 1);
  const bool loads = std::isfinite(l.forceTotal);
  const auto excess = [&](const std::optional<float>& limit, double value) {
    if (limit) out.push_back(loads ? value / *limit - 1 : 1.0);
  };
  excess(s.maxForce, toUnits(l.forceTotal, mill.units));
  excess(s.maxTorque, toUnits(l.torqueTotal, mill.units));
  excess(s.maxPower, l.powerTotal);
  excess(s.maxRollSpeed, l.ROLL_SPEED);
}

struct Problem {
  const Mill& mill;
  const Coil& coil;
  PassSolver& solver;
  bool excessOnly = false;  // the objective is the largest excess itself
  std::vector<double> lastX;
  std::vector<PassLine> lines;

  // The thicknesses of variables x.
  std::vector<float> thicknesses(const std::vector<double>& x) const {
    std::vector<float> H;
    for (double y : x) H.push_back(static_cast<float>(std::exp(y)));
    H.push_back(coil.H_exit);
    return H;
  }
  // The schedule at x, solved once for the objective and the constraints.
  const std::vector<PassLine>& at(const std::vector<double>& x) {
    if (x != lastX || lines.empty()) lines = solveSchedule(mill, coil, thicknesses(x), solver), lastX = x;
    return lines;
  }
  std::vector<double> excesses(const std::vector<double>& x) {
    std::vector<double> out;
    for (const PassLine& l : at(x)) addExcesses(mill, l, out);
    return out;
  }
  double objective(const std::vector<double>& x) {
    if (excessOnly) {
      const std::vector<double> e = excesses(x);
      return e.empty() ? 0 : *std::max_element(e.begin(), e.end()) + kLimitMargin;
    }
    const double d = ratioDistance(at(x), coil.distribution);
    return std::isfinite(d) ? d : 1e6;
  }
  // Every constraint, in NLopt's vector form: reductions, then limits.
  void constraints(unsigned m, double* result, const std::vector<double>& x) {
    unsigned k = 0;
    double before = std::log(double(coil.H_entry));
    for (std::size_t i = 0; i <= x.size(); ++i) {
      const double after = i < x.size() ? x[i] : std::log(double(coil.H_exit));
      result[k++] = after - before + kLeastLogReduction;
      before = after;
    }
    if (excessOnly) return;
    for (double e : excesses(x)) if (k < m) result[k++] = e + kLimitMargin;
  }
};

unsigned limitCount(const Mill& mill) {
  unsigned n = 0;
  for (int i = 0; i < mill.passes; ++i) {
    const Stand& s = standOf(mill, i);
    n += s.maxForce.has_value() + s.maxTorque.has_value() + s.maxPower.has_value() + s.maxRollSpeed.has_value();
  }
  return n;
}

// One COBYLA run from x (moved to where it ends).
void minimise(Problem& p, std::vector<double>& x) {
  nlopt::opt opt(nlopt::LN_COBYLA, unsigned(x.size()));
  opt.set_lower_bounds(std::log(double(p.coil.H_exit)));
  opt.set_upper_bounds(std::log(double(p.coil.H_entry)));
  opt.set_min_objective(
      [](unsigned n, const double* v, double*, void* data) {
        return static_cast<Problem*>(data)->objective(std::vector<double>(v, v + n));
      },
      &p);
  const unsigned m = unsigned(x.size()) + 1 + (p.excessOnly ? 0 : limitCount(p.mill));
  opt.add_inequality_mconstraint(
      [](unsigned count, double* result, unsigned n, const double* v, double*, void* data) {
        static_cast<Problem*>(data)->constraints(count, result, std::vector<double>(v, v + n));
      },
      &p, std::vector<double>(m, 1e-9));
  opt.set_xtol_abs(1e-7);
  opt.set_maxeval(kEvaluations);
  opt.set_initial_step(0.02);
  double value = 0;
  try {
    opt.optimize(x, value);
  } catch (const std::exception&) {
    // a roundoff-limited or stopped run keeps the point it reached
  }
}

bool withinLimits(const std::vector<PassLine>& lines) {
  return std::all_of(lines.begin(), lines.end(),
                     [](const PassLine& l) { return std::isfinite(l.forceTotal) && l.overLimits.empty(); });
}

// The worst excess of lines, in words, for the problem.
std::string worstExcess(const Mill& mill, const std::vector<PassLine>& lines) {
  std::string worst;
  double most = -1;
  for (const PassLine& l : lines) {
    std::vector<double> e;
    addExcesses(mill, l, e);
    for (double v : e) {
      if (v > most && !l.overLimits.empty()) most = v, worst = "pass " + std::to_string(l.pass) + " " + l.overLimits[0];
    }
  }
  return worst.empty() ? "" : " (nearest found: " + worst + ")";
}

}  // namespace

double ratioDistance(const std::vector<PassLine>& lines, const Distribution& d) {
  if (lines.empty()) return NAN;
  const double first = shareLoad(lines[0], d.by);
  double sum = 0;
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const double miss = std::log((shareLoad(lines[i], d.by) / first) / (d.ratios[i] / d.ratios[0]));
    sum += miss * miss;
  }
  return sum;
}

void respectLimits(const Mill& mill, const Coil& coil, const SetUpOptions& options, PassSolver& solver,
                   SetUp& setUp) {
  if (withinLimits(setUp.lines) || mill.passes < 2) {
    if (!withinLimits(setUp.lines)) setUp.problem = "no distribution keeps the one pass within its limits";
    return;
  }
  Distribution asked = coil.distribution;
  if (asked.by == ShareBy::given) {  // nearest to the given schedule's own relative reductions
    asked.by = ShareBy::reduction;
    for (const PassLine& l : setUp.lines) asked.ratios.push_back(1.0 - double(l.H2) / double(l.H1));
  }
  Coil shared = coil;
  shared.distribution = asked;
  Problem p{mill, shared, solver, false, {}, {}};
  std::vector<double> x;
  for (std::size_t i = 0; i + 1 < setUp.H.size(); ++i) x.push_back(std::log(double(setUp.H[i])));
  minimise(p, x);
  std::vector<PassLine> lines = solveSchedule(mill, coil, p.thicknesses(x), solver, options.keepSteps);
  if (!withinLimits(lines)) {
    p.excessOnly = true, p.lines.clear();
    minimise(p, x);
    p.excessOnly = false, p.lines.clear();
    minimise(p, x);
    lines = solveSchedule(mill, coil, p.thicknesses(x), solver, options.keepSteps);
  }
  if (!withinLimits(lines)) {
    setUp.problem = "no distribution keeps every stand within its limits" + worstExcess(mill, lines);
    return;
  }
  setUp.lines = std::move(lines);
  setUp.H = p.thicknesses(x);
  setUp.ratioMiss = ratioMiss(setUp.lines, asked);
  setUp.limitsRespected = true;
}

}  // namespace orowan::setup
