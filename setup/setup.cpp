// The thickness searches of a set-up.
//
// Force or power ratios: for a load level P, each pass but the last takes
// the exit thickness at which its load is P times its ratio (a search of
// passes::findRoot along the pass's exit thickness: the load falls as the
// exit thickness rises); what is left of the reduction goes to the last
// pass, whose load over P times its ratio falls as P rises. A second
// findRoot over P brings that quotient to 1. The console scheme's loads
// jump by some tenths of a per cent where the step count or the neutral
// step changes: findRoot then ends on the two neighbouring single values
// either side of the jump and keeps the nearer, so a ratio is met to the
// tolerance or to half a jump, and the final schedule's misses are
// measured, not assumed.
#include "setup/setup.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "passes/flow_curve.h"
#include "passes/root_finder.h"
#include "setup/limits.h"

namespace orowan::setup {
namespace {

// A load where a pass has none because it is asked more reduction than
// it can take (it skids, it is below the minimum gauge, it faults): a
// load above any other, so that the searches keep away from it. A pass
// that slips forward for too little reduction counts as load 0.
constexpr double kNoLoad = 1e30;

// The least relative reduction a pass is given.
constexpr double kLeastReduction = 1e-4;

// The half width (relative) of a thickness search's first bracket.
constexpr double kWarmBracket = 0.03;

// A search that ends this far from its share, at a jump into passes that
// cannot be rolled, has met the edge of what the pass can take.
constexpr double kWalledMiss = 0.05;

// The exit thicknesses a search has rolled with loads, thickest and
// thinnest.
struct Rolled {
  double least = -INFINITY, most = INFINITY;
};

struct Marched {
  std::vector<float> H;     // after each pass
  double lastQuotient = 0;  // the last pass's load over its share of the level
  int shortOf = -1;         // the pass that reached the exit gauge before the last
  int walled = -1;          // the first pass that cannot be rolled to its share
};

class LoadSearch {
 public:
  LoadSearch(const Mill& mill, const Coil& coil, const SetUpOptions& options, PassSolver& solver)
      : mill_(mill), coil_(coil), options_(options), solver_(solver), n_(mill.passes) {}

  // Each pass's load at the level `level` (see the file comment).
  Marched march(double level) {
    Marched m;
    m.H.assign(n_, coil_.H_exit);
    float H1 = coil_.H_entry;
    double strain = coil_.EPS;
    const auto& ratios = coil_.distribution.ratios;
    for (int i = 0; i + 1 < n_; ++i) {
      const float hi = static_cast<float>(double(H1) * (1 - kLeastReduction));
      const float lo = static_cast<float>(double(coil_.H_exit) * (1 + kLeastReduction));
      if (!(lo < hi)) return m.shortOf = i, m;  // no room left before the exit gauge
      const double share = level * ratios[i];
      Rolled rolled;
      const auto quotient = [&](double x) -> std::optional<double> {
        return load(i, H1, static_cast<float>(x), strain, rolled) / share;
      };
      passes::RootOptions o;
      o.targetTolerance = options_.tolerance;
      const passes::RootResult root = findThickness(quotient, i, lo, hi, o);
      // Ended at the edge of what the pass can roll, short of its share.
      if (root.status == passes::RootStatus::jump && std::fabs(root.value - 1) > kWalledMiss && m.walled < 0 &&
          root.rangeHigh * share >= kNoLoad)
        m.walled = i;
      // Every quotient below 1: even the largest reduction carries less
      // than the level asks, so the level is too high for this pass.
      if (root.status == passes::RootStatus::aboveRange) return m.shortOf = i, m;
      // Every quotient above 1: the least reduction already carries more.
      const float H2 = root.status == passes::RootStatus::belowRange ? hi : static_cast<float>(root.x);
      m.H[i] = H2;
      strain = double(static_cast<float>(passes::strainOut(H1, H2, strain)));
      H1 = H2;
    }
    Rolled rolled;
    m.lastQuotient = load(n_ - 1, H1, coil_.H_exit, strain, rolled) / (level * ratios[n_ - 1]);
    lastH_ = m.H;
    return m;
  }

  // The exit thickness of pass i at its share: first within a few per
  // cent of where the last march put it (the level moves little between
  // the outer search's steps), else over the whole range [lo, hi].
  passes::RootResult findThickness(const std::function<std::optional<double>(double)>& quotient, int i, float lo,
                                   float hi, const passes::RootOptions& o) {
    if (static_cast<int>(lastH_.size()) == n_) {
      const double near = lastH_[i];
      const float a = static_cast<float>(std::max(double(lo), near * (1 - kWarmBracket)));
      const float b = static_cast<float>(std::min(double(hi), near * (1 + kWarmBracket)));
      if (a < b) {
        const passes::RootResult r = passes::findRoot(quotient, 1.0, a, b, o);
        const bool inside = r.status != passes::RootStatus::belowRange && r.status != passes::RootStatus::aboveRange;
        const bool atEnd = (r.status == passes::RootStatus::belowRange && b == hi) ||
                           (r.status == passes::RootStatus::aboveRange && a == lo);
        if (inside || atEnd) return r;
      }
    }
    return passes::findRoot(quotient, 1.0, lo, hi, o);
  }

  // The level that leaves the last pass its share: "" or the problem.
  std::string solve(double firstGuess, std::vector<float>& H) {
      // findRoot asks again for the ends of a widened bracket: kept.
    // The thicknesses are those of the march at the answer itself (a
    // march again from other first brackets could end on the other side
    // of a jump).
    std::vector<std::pair<double, Marched>> seen;
    const auto quotient = [&](double level) -> std::optional<double> {
      for (const auto& [l, m] : seen) if (l == level) return m.lastQuotient;
      seen.emplace_back(level, march(level));
      return seen.back().second.lastQuotient;
    };
    passes::RootOptions o;
    o.targetTolerance = options_.tolerance;
    o.singleInputs = false;
    double lo = firstGuess / 1.25, hi = firstGuess * 1.25;
    for (int widen = 0; widen < 12; ++widen) {
      const passes::RootResult r = passes::findRoot(quotient, 1.0, lo, hi, o);
      if (r.status == passes::RootStatus::belowRange) lo = hi, hi *= 3;        // every quotient above 1
      else if (r.status == passes::RootStatus::aboveRange) hi = lo, lo /= 3;  // every quotient below 1
      else {
        for (const auto& [l, m] : seen) {
          if (l != r.x) continue;
          H = m.H;
          if (m.walled >= 0)
            return "pass " + std::to_string(m.walled + 1) +
                   " cannot carry its share: beyond a reduction it cannot be rolled (below its minimum gauge, or it skids)";
        }
        return "";
      }
    }
    return "no load level shares the reduction in these ratios";
  }

 private:
  // The pass's load; where it has none, 0 for a pass with too little
  // reduction and kNoLoad for too much. Which of the two: below or above
  // a reduction that the same search has rolled, or else by where the
  // neutral point went (beyond the entry plane: too little, as with a
  // front tension that pulls the strip through).
  double load(int pass, float H1, float H2, double strain, Rolled& rolled) {
    const PassLine line = solver_.solve(pass, H1, H2, strain);
    const double v = shareLoad(line, coil_.distribution.by);
    if (std::isfinite(v) && v > 0) {
      rolled.least = std::fmax(rolled.least, double(H2));
      rolled.most = std::fmin(rolled.most, double(H2));
      return v;
    }
    const bool any = rolled.most <= rolled.least;
    if (any && double(H2) > rolled.least) return 0;
    if (any && double(H2) < rolled.most) return kNoLoad;
    return line.slipsForward ? 0 : kNoLoad;
  }

  const Mill& mill_;
  const Coil& coil_;
  const SetUpOptions& options_;
  PassSolver& solver_;
  int n_;
  std::vector<float> lastH_;  // the thicknesses of the last complete march
};

// The thicknesses of equal relative reductions: the first guess.
std::vector<float> equalReductions(const Mill& mill, const Coil& coil) {
  std::vector<float> H(mill.passes);
  const double step = std::pow(double(coil.H_exit) / double(coil.H_entry), 1.0 / mill.passes);
  for (int i = 0; i < mill.passes; ++i) H[i] = static_cast<float>(double(coil.H_entry) * std::pow(step, i + 1));
  H.back() = coil.H_exit;
  return H;
}

// Relative reductions c r_i whose remaining thicknesses multiply to
// H_exit / H_entry: c by findRoot (the product falls as c rises).
std::vector<float> reductionSchedule(const Mill& mill, const Coil& coil) {
  const auto& r = coil.distribution.ratios;
  const double largest = *std::max_element(r.begin(), r.end());
  const auto logRemaining = [&](double c) -> std::optional<double> {
    double sum = 0;
    for (double ri : r) sum += std::log1p(-c * ri);
    return sum;
  };
  passes::RootOptions o;
  o.singleInputs = false;
  o.targetTolerance = 1e-12;
  const passes::RootResult root =
      passes::findRoot(logRemaining, std::log(double(coil.H_exit) / double(coil.H_entry)), 0, (1 - 1e-12) / largest, o);
  std::vector<float> H(mill.passes);
  double h = coil.H_entry;
  for (int i = 0; i < mill.passes; ++i) H[i] = static_cast<float>(h *= 1 - root.x * r[i]);
  H.back() = coil.H_exit;
  return H;
}

// The first pass without loads, in words, or "".
std::string firstPassWithoutLoads(const std::vector<PassLine>& lines) {
  for (const PassLine& l : lines) {
    if (!std::isnan(l.forceTotal)) continue;
    if (l.slipsForward)
      return "pass " + std::to_string(l.pass) + " cannot take so small a share: at the reduction it needs the strip "
             "slips over the whole arc of contact (no neutral point) under its tensions";
    return "pass " + std::to_string(l.pass) + ": " + l.problem;
  }
  return "";
}

// The load level of the equal-reduction schedule, the search's first guess.
double firstLevel(const std::vector<PassLine>& lines, const Distribution& d) {
  double sum = 0;
  int count = 0;
  for (const PassLine& l : lines) {
    const double v = shareLoad(l, d.by);
    if (std::isfinite(v) && v > 0) sum += std::log(v / d.ratios[l.pass - 1]), ++count;
  }
  return count > 0 ? std::exp(sum / count) : NAN;
}

// The thicknesses the distribution asks for: "" or why there are none.
std::string askedThicknesses(const Mill& mill, const Coil& coil, const SetUpOptions& options, PassSolver& solver,
                             std::vector<float>& H) {
  const Distribution& d = coil.distribution;
  if (d.by == ShareBy::given) {
    H = d.H;
    H.push_back(coil.H_exit);
    return "";
  }
  if (d.by == ShareBy::reduction) return H = reductionSchedule(mill, coil), "";
  H = equalReductions(mill, coil);
  if (mill.passes == 1) return "";
  const double level = firstLevel(solveSchedule(mill, coil, H, solver), d);
  if (!std::isfinite(level)) return "no pass of equal reductions can be rolled, so no load level to start from";
  LoadSearch search(mill, coil, options, solver);
  return search.solve(level, H);
}

const char* shareName(ShareBy by) {
  return by == ShareBy::power ? "power" : by == ShareBy::reduction ? "reduction" : "force";
}

}  // namespace

double ratioMiss(const std::vector<PassLine>& lines, const Distribution& d) {
  if (d.by == ShareBy::given || lines.empty()) return 0;
  const double first = shareLoad(lines[0], d.by);
  double worst = 0;
  for (const PassLine& l : lines) {
    const double v = shareLoad(l, d.by);
    if (!std::isfinite(v) || !std::isfinite(first)) return NAN;
    const double asked = d.ratios[l.pass - 1] / d.ratios[0];
    worst = std::max(worst, std::fabs((v / first) / asked - 1));
  }
  return worst;
}

SetUp setUpCoil(const Mill& mill, const Coil& coil, const SetUpOptions& options) {
  SetUp s;
  PassSolver solver(mill, coil);
  std::vector<float> H;
  s.problem = askedThicknesses(mill, coil, options, solver, H);
  if (s.problem.empty()) {
    s.lines = solveSchedule(mill, coil, H, solver, options.keepSteps);
    s.H = H;
    s.ratioMiss = ratioMiss(s.lines, coil.distribution);
    s.problem = firstPassWithoutLoads(s.lines);
    if (s.problem.empty() && !(s.ratioMiss <= kRatioMissAllowed))
      s.problem = std::string("no thicknesses give these ") + shareName(coil.distribution.by) +
                  " ratios: the nearest found misses them by " + std::to_string(s.ratioMiss * 100) + " %";
  }
  if (s.problem.empty() && options.respectLimits) respectLimits(mill, coil, options, solver, s);
  s.solves = solver.solves();
  return s;
}

}  // namespace orowan::setup
