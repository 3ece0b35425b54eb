// Laws, parameters and the misses of one line.
#include "calibrate/model.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <set>
#include <stdexcept>

#include <Eigen/Dense>
#include <oneapi/tbb/enumerable_thread_specific.h>
#include <oneapi/tbb/global_control.h>
#include <oneapi/tbb/parallel_for.h>

#include "passes/fit.h"
#include "passes/solve.h"

namespace orowan::calibrate {
namespace {

// The columns after "linear:" or "by:", comma-separated, none empty and
// none twice (its two slopes would be one parameter under one name).
std::vector<std::string> columnsOf(const std::string& text, std::size_t from) {
  std::vector<std::string> columns;
  std::size_t start = from;
  while (start <= text.size()) {
    const std::size_t comma = std::min(text.find(',', start), text.size());
    const std::string column = text.substr(start, comma - start);
    if (column.empty()) throw std::invalid_argument("\"" + text + "\": a column name is empty");
    if (std::find(columns.begin(), columns.end(), column) != columns.end())
      throw std::invalid_argument("\"" + text + "\": column " + column + " is named twice");
    columns.push_back(column);
    start = comma + 1;
  }
  return columns;
}

Law parseLaw(const std::string& text, bool factor) {
  Law law;
  if (text == "const") return law;
  if (factor && text == "none") return law.kind = Law::Kind::none, law;
  if (!factor && text.starts_with("linear:")) {
    law.kind = Law::Kind::linear;
    law.columns = columnsOf(text, 7);
    return law;
  }
  if (text.starts_with("by:")) {
    law.kind = Law::Kind::by;
    law.columns = columnsOf(text, 3);
    if (law.columns.size() != 1) throw std::invalid_argument("\"" + text + "\": by: takes one column");
    return law;
  }
  throw std::invalid_argument("\"" + text + "\": expected " + (factor ? "none, const or by:COL" : "const, linear:COL[,COL...] or by:COL"));
}

// The sorted distinct values of a word column over the log.
std::vector<std::string> groupsOf(const Log& log, const std::string& column) {
  const auto at = std::find(log.wordNames.begin(), log.wordNames.end(), column) - log.wordNames.begin();
  std::set<std::string> values;
  for (const LogLine& line : log.lines) values.insert(line.words[std::size_t(at)]);
  return {values.begin(), values.end()};
}

int groupIndex(const std::vector<std::string>& groups, const std::string& value) {
  const auto it = std::lower_bound(groups.begin(), groups.end(), value);
  return it != groups.end() && *it == value ? int(it - groups.begin()) : -1;
}

// The line's word in a by:COL column.
const std::string& wordOf(const Log& log, const LogLine& line, const std::string& column) {
  const auto at = std::find(log.wordNames.begin(), log.wordNames.end(), column) - log.wordNames.begin();
  return line.words[std::size_t(at)];
}

// The pass at friction U and factor k: its force and slip, or false.
bool solveAt(const LogLine& line, double U, double k, double& force, double& slip) {
  thread_local std::unique_ptr<PassResult> scratch = std::make_unique<PassResult>();
  thread_local passes::Answer answer;
  thread_local PropertyPoints table;
  if (!(U > 0) || !(k > 0)) return false;
  passes::Request r = passes::withFlowFactor(line.request, k, table);
  r.input.friction = float(U);
  passes::solveRequest(r, answer, *scratch);
  if (!passes::hasNeutralPoint(answer)) return false;
  force = answer.summary.rollingForce;
  slip = answer.values.FORWARD_SLIP;
  return std::isfinite(force);
}

// The relative misses of a solved pass.
int missesOf(const LogLine& line, double force, double slip, double* miss) {
  miss[0] = (force - line.force) / line.force;
  if (std::isnan(line.slip)) return 1;
  miss[1] = (slip - line.slip) / line.slip;
  return 2;
}

}  // namespace

Law parseFrictionLaw(const std::string& text) { return parseLaw(text, false); }
Law parseFactorLaw(const std::string& text) { return parseLaw(text, true); }

LogColumns lawColumns(const Law& friction, const Law& factor) {
  LogColumns c;
  if (friction.kind == Law::Kind::linear) c.numbers = friction.columns;
  if (friction.kind == Law::Kind::by) c.words.push_back(friction.columns[0]);
  if (factor.kind == Law::Kind::by && std::find(c.words.begin(), c.words.end(), factor.columns[0]) == c.words.end())
    c.words.push_back(factor.columns[0]);
  return c;
}

std::vector<double> Model::start() const {
  std::vector<double> p(names.size(), 0.0);
  const std::size_t frictions = friction.kind == Law::Kind::by ? frictionGroups.size() : 1;
  for (std::size_t i = 0; i < names.size(); ++i) {
    const bool slope = friction.kind == Law::Kind::linear && i > 0 && i < frictions + friction.columns.size();
    if (i < frictions) p[i] = 0.1;
    else if (!slope) p[i] = 1.0;
  }
  return p;
}

Model makeModel(const Law& friction, const Law& factor, const Log& log, std::vector<std::string> frictionGroups,
                std::vector<std::string> factorGroups) {
  Model m{friction, factor};
  if (friction.kind == Law::Kind::by) {
    m.frictionGroups = frictionGroups.empty() ? groupsOf(log, friction.columns[0]) : std::move(frictionGroups);
    for (const auto& g : m.frictionGroups) m.names.push_back("U[" + g + "]");
  } else {
    m.names.push_back("U0");
    if (friction.kind == Law::Kind::linear)
      for (const auto& c : friction.columns) {
        m.names.push_back("U_" + c);
        m.lawNumbers.push_back(numberIndex(log, c));
      }
  }
  if (factor.kind == Law::Kind::constant) m.names.push_back("Y_FACTOR");
  if (factor.kind == Law::Kind::by) {
    m.factorGroups = factorGroups.empty() ? groupsOf(log, factor.columns[0]) : std::move(factorGroups);
    for (const auto& g : m.factorGroups) m.names.push_back("Y_FACTOR[" + g + "]");
  }
  return m;
}

LineTerms lineTerms(const Model& m, const Log& log, const LogLine& line) {
  LineTerms t;
  int next = 0;
  if (m.friction.kind == Law::Kind::by) {
    t.u.push_back({groupIndex(m.frictionGroups, wordOf(log, line, m.friction.columns[0])), 1.0});
    next = int(m.frictionGroups.size());
  } else {
    t.u.push_back({0, 1.0});
    for (std::size_t i = 0; i < m.lawNumbers.size(); ++i) t.u.push_back({int(i) + 1, line.numbers[std::size_t(m.lawNumbers[i])]});
    next = 1 + int(m.lawNumbers.size());
  }
  if (m.factor.kind == Law::Kind::constant) t.k = next;
  if (m.factor.kind == Law::Kind::by) {
    const int g = groupIndex(m.factorGroups, wordOf(log, line, m.factor.columns[0]));
    t.k = g < 0 ? -2 : next + g;
  }
  return t;
}

LineFit evaluateLine(const Model&, const LineTerms& terms, const LogLine& line, const double* p, bool derivatives) {
  LineFit f;
  if (terms.k == -2) return f;
  for (const auto& [i, c] : terms.u) {
    if (i < 0) return f;
    f.U = (std::isnan(f.U) ? 0.0 : f.U) + c * p[i];
  }
  f.factor = terms.k >= 0 ? p[terms.k] : 1.0;
  if (!solveAt(line, f.U, f.factor, f.force, f.slip)) return f;
  f.count = missesOf(line, f.force, f.slip, f.miss);
  if (derivatives) {
    constexpr double h = 0.05;
    double m[4][2], force, slip;
    const double at[4][2] = {{f.U * (1 + h), f.factor}, {f.U * (1 - h), f.factor},
                             {f.U, f.factor * (1 + h)}, {f.U, f.factor * (1 - h)}};
    for (int j = 0; j < 4; ++j) {
      if (j >= 2 && terms.k < 0) break;
      if (!solveAt(line, at[j][0], at[j][1], force, slip)) return f;
      missesOf(line, force, slip, m[j]);
    }
    for (int r = 0; r < f.count; ++r) {
      f.dU[r] = (m[0][r] - m[1][r]) / (2 * h * f.U);
      f.dK[r] = terms.k < 0 ? 0.0 : (m[2][r] - m[3][r]) / (2 * h * f.factor);
    }
  }
  f.ok = true;
  return f;
}

double lossValue(const Model& m, double s) {
  const double d2 = m.lossScale * m.lossScale;
  switch (m.loss) {
    case Loss::huber: return s <= d2 ? s : 2 * m.lossScale * std::sqrt(s) - d2;
    case Loss::cauchy: return d2 * std::log1p(s / d2);
    default: return s;
  }
}

double lossSlope(const Model& m, double s) {
  const double d2 = m.lossScale * m.lossScale;
  switch (m.loss) {
    case Loss::huber: return s <= d2 ? 1.0 : m.lossScale / std::sqrt(s);
    case Loss::cauchy: return 1.0 / (1.0 + s / d2);
    default: return 1.0;
  }
}

NormalEquations normalEquations(const Model& m, const Log& log, const std::vector<double>& p, unsigned threads,
                                bool derivatives) {
  const int n = m.parameterCount();
  oneapi::tbb::global_control limit(oneapi::tbb::global_control::max_allowed_parallelism, std::max(1u, threads));
  oneapi::tbb::enumerable_thread_specific<NormalEquations> parts([n] {
    NormalEquations e;
    e.JtJ.assign(std::size_t(n) * n, 0.0);
    e.Jtr.assign(std::size_t(n), 0.0);
    return e;
  });
  oneapi::tbb::parallel_for(std::size_t(0), log.lines.size(), [&](std::size_t i) {
    NormalEquations& e = parts.local();
    const LineTerms t = lineTerms(m, log, log.lines[i]);
    const LineFit f = evaluateLine(m, t, log.lines[i], p.data(), derivatives);
    if (!f.ok) return void(++e.failed);
    for (int r = 0; r < f.count; ++r) {
      std::vector<double> row(std::size_t(n), 0.0);
      for (const auto& [j, c] : t.u) row[std::size_t(j)] += c * f.dU[r];
      if (t.k >= 0) row[std::size_t(t.k)] += f.dK[r];
      const double s = f.miss[r] * f.miss[r], w = lossSlope(m, s);
      e.cost += 0.5 * lossValue(m, s);
      ++e.residuals;
      if (!derivatives) continue;
      for (int a = 0; a < n; ++a) {
        e.Jtr[std::size_t(a)] += w * row[std::size_t(a)] * f.miss[r];
        for (int b = 0; b < n; ++b) e.JtJ[std::size_t(a) * n + b] += w * row[std::size_t(a)] * row[std::size_t(b)];
      }
    }
  });
  NormalEquations sum = parts.combine([n](NormalEquations a, const NormalEquations& b) {
    for (std::size_t i = 0; i < a.JtJ.size(); ++i) a.JtJ[i] += b.JtJ[i];
    for (std::size_t i = 0; i < a.Jtr.size(); ++i) a.Jtr[i] += b.Jtr[i];
    a.cost += b.cost, a.residuals += b.residuals, a.failed += b.failed;
    return a;
  });
  if (sum.JtJ.empty()) sum.JtJ.assign(std::size_t(n) * n, 0.0), sum.Jtr.assign(std::size_t(n), 0.0);
  return sum;
}

std::vector<double> standardErrors(const NormalEquations& at, int n) {
  Eigen::Map<const Eigen::Matrix<double, Eigen::Dynamic, Eigen::Dynamic, Eigen::RowMajor>> A(at.JtJ.data(), n, n);
  const long dof = at.residuals - n;
  std::vector<double> se(std::size_t(n), NAN);
  if (dof <= 0) return se;
  const Eigen::MatrixXd cov = A.completeOrthogonalDecomposition().pseudoInverse() * (2 * at.cost / double(dof));
  for (int i = 0; i < n; ++i) se[std::size_t(i)] = std::sqrt(cov(i, i));
  return se;
}

}  // namespace orowan::calibrate
