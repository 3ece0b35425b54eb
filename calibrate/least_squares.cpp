// The Ceres problem over the sums of the lines' normal equations.
#include "calibrate/least_squares.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include <Eigen/Dense>
#include <ceres/ceres.h>
#include <oneapi/tbb/global_control.h>
#include <oneapi/tbb/parallel_for.h>

namespace orowan::calibrate {
namespace {

// The least squares as Ceres sees it: one block of every parameter and
// p + 1 residuals f with ½|f|² the cost, JfᵀJf = JᵀWJ and Jfᵀf = JᵀWr
// (f = L⁻¹JᵀWr and the rest of the cost in the last residual, L the
// Cholesky factor of JᵀWJ, Jf = Lᵀ). Ceres's Levenberg–Marquardt step and
// its acceptance depend on nothing else, so the sums may come from
// anywhere: this machine's lines, or the partitions of a cluster.
class ReducedCost : public ceres::CostFunction {
 public:
  ReducedCost(const NormalProvider& provider, int n) : provider_(provider), n_(n) {
    set_num_residuals(n + 1);
    mutable_parameter_block_sizes()->push_back(n);
  }

  bool Evaluate(double const* const* parameters, double* residuals, double** jacobians) const override {
    const std::vector<double> p(parameters[0], parameters[0] + n_);
    const bool derivatives = jacobians != nullptr && jacobians[0] != nullptr;
    const NormalEquations e = provider_(p, derivatives);
    if (e.failed > 0 || !std::isfinite(e.cost)) return false;  // a pass failed: Ceres shrinks the step
    std::fill(residuals, residuals + n_ + 1, 0.0);
    if (!derivatives) {
      residuals[n_] = std::sqrt(2 * e.cost);
      return true;
    }
    using Matrix = Eigen::Matrix<double, Eigen::Dynamic, Eigen::Dynamic, Eigen::RowMajor>;
    const Eigen::Map<const Matrix> A(e.JtJ.data(), n_, n_);
    const Eigen::Map<const Eigen::VectorXd> g(e.Jtr.data(), n_);
    // A small ridge keeps the factor defined where a parameter has no line.
    const Eigen::LLT<Eigen::MatrixXd> llt(A + 1e-12 * A.diagonal().cwiseAbs().maxCoeff() * Eigen::MatrixXd::Identity(n_, n_));
    if (llt.info() != Eigen::Success) return false;
    const Eigen::VectorXd f = llt.matrixL().solve(g);
    const double rest = 2 * e.cost - f.squaredNorm();
    for (int i = 0; i < n_; ++i) residuals[i] = f[i];
    residuals[n_] = std::sqrt(std::max(rest, 0.0));
    Eigen::Map<Matrix> J(jacobians[0], n_ + 1, n_);
    J.topRows(n_) = llt.matrixU();
    J.row(n_).setZero();
    return true;
  }

 private:
  const NormalProvider& provider_;
  int n_;
};

// Shows the iteration on the progress line.
class ProgressLine : public ceres::IterationCallback {
 public:
  explicit ProgressLine(std::FILE* out) : out_(out) {}
  ceres::CallbackReturnType operator()(const ceres::IterationSummary& s) override {
    std::fprintf(out_, "\rorowan-calibrate: iteration %d, cost %.6g", s.iteration, s.cost);
    std::fflush(out_);
    return ceres::SOLVER_CONTINUE;
  }

 private:
  std::FILE* out_;
};

// Every line at the parameters (or, with `own`, at its own U and factor 1).
std::vector<LineResult> linesAt(const Model& m, const Log& log, const std::vector<double>& p, bool own,
                                unsigned threads) {
  std::vector<LineResult> out(log.lines.size());
  oneapi::tbb::global_control limit(oneapi::tbb::global_control::max_allowed_parallelism, std::max(1u, threads));
  oneapi::tbb::parallel_for(std::size_t(0), log.lines.size(), [&](std::size_t i) {
    const LogLine& line = log.lines[i];
    LineTerms t = lineTerms(m, log, line);
    std::vector<double> q = p;
    if (own) {
      // U0 alone at the line's own U, no slopes, factor 1.
      q.assign(p.size() + 1, 0.0);
      q.back() = line.request.input.friction;
      t.u = {{int(p.size()), 1.0}};
      t.k = -1;
    }
    const LineFit f = evaluateLine(m, t, line, q.data(), false);
    LineResult& r = out[i];
    r.ok = f.ok, r.U = f.U, r.factor = f.factor, r.force = f.force, r.slip = f.slip;
    if (f.ok) r.forceMiss = f.miss[0];
    if (f.ok && f.count == 2) r.slipMiss = f.miss[1];
  });
  return out;
}

void fillStats(const std::vector<LineResult>& lines, ErrorStats& force, ErrorStats& slip) {
  std::vector<double> f, s;
  for (const LineResult& l : lines) f.push_back(l.forceMiss), s.push_back(l.slipMiss);
  force = statsOf(f);
  slip = statsOf(s);
}

}  // namespace

ErrorStats statsOf(const std::vector<double>& misses) {
  ErrorStats e;
  double sum = 0, largest = 0;
  for (const double m : misses) {
    if (std::isnan(m)) continue;
    ++e.count;
    sum += m * m;
    if (std::fabs(m) > std::fabs(largest)) largest = m;
  }
  if (e.count > 0) e.rms = std::sqrt(sum / double(e.count)), e.largest = largest;
  return e;
}

Minimum minimise(const NormalProvider& provider, const std::vector<double>& start,
                 const std::vector<std::string>& names, int maxIterations, std::FILE* progressTo) {
  Minimum m;
  m.values = start;
  const int n = int(start.size());
  ceres::Problem problem;
  problem.AddResidualBlock(new ReducedCost(provider, n), nullptr, m.values.data());
  for (int i = 0; i < n; ++i)
    if (names[std::size_t(i)].starts_with("Y_FACTOR")) problem.SetParameterLowerBound(m.values.data(), i, 1e-3);
  ceres::Solver::Options options;
  options.trust_region_strategy_type = ceres::LEVENBERG_MARQUARDT;
  options.linear_solver_type = ceres::DENSE_QR;
  options.max_num_iterations = maxIterations;
  options.function_tolerance = 1e-10;
  options.parameter_tolerance = 1e-9;
  options.logging_type = ceres::SILENT;
  ProgressLine progress(progressTo);
  if (progressTo != nullptr) options.callbacks.push_back(&progress);
  ceres::Solver::Summary summary;
  if (n > 0) ceres::Solve(options, &problem, &summary);
  if (progressTo != nullptr) std::fputs("\n", progressTo);
  m.iterations = int(summary.iterations.size());
  m.converged = summary.termination_type == ceres::CONVERGENCE;
  m.termination = summary.message;
  return m;
}

Calibration calibrate(const Model& model, const Log& log, const Settings& settings) {
  Calibration c;
  c.names = model.names;
  const NormalProvider local = [&](const std::vector<double>& p, bool derivatives) {
    return normalEquations(model, log, p, settings.threads, derivatives);
  };
  const Minimum m = minimise(local, model.start(), model.names, settings.maxIterations, settings.progress);
  c.values = m.values;
  c.iterations = m.iterations;
  c.converged = m.converged;
  c.termination = m.termination;
  const NormalEquations at = normalEquations(model, log, c.values, settings.threads);
  c.stderrs = standardErrors(at, model.parameterCount());
  c.failed = at.failed;
  c.before = linesAt(model, log, c.values, true, settings.threads);
  c.after = linesAt(model, log, c.values, false, settings.threads);
  fillStats(c.before, c.forceBefore, c.slipBefore);
  fillStats(c.after, c.forceAfter, c.slipAfter);
  return c;
}

}  // namespace orowan::calibrate
