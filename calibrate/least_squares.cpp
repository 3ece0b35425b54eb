// The Ceres problem: a residual block per line over the parameters its
// U and factor use, each a block of one.
#include "calibrate/least_squares.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include <ceres/ceres.h>
#include <oneapi/tbb/global_control.h>
#include <oneapi/tbb/parallel_for.h>

namespace orowan::calibrate {
namespace {

class LineCost : public ceres::CostFunction {
 public:
  LineCost(const Model& model, const LogLine& line, LineTerms terms, int count, std::vector<int> blocks)
      : model_(model), line_(line), terms_(std::move(terms)), blocks_(std::move(blocks)) {
    set_num_residuals(count);
    for (std::size_t i = 0; i < blocks_.size(); ++i) mutable_parameter_block_sizes()->push_back(1);
  }

  // The misses at the blocks' values; false when the pass fails there
  // (Ceres then shrinks its step).
  bool Evaluate(double const* const* parameters, double* residuals, double** jacobians) const override {
    std::vector<double> p(std::size_t(model_.parameterCount()), 0.0);
    for (std::size_t b = 0; b < blocks_.size(); ++b) p[std::size_t(blocks_[b])] = parameters[b][0];
    const LineFit f = evaluateLine(model_, terms_, line_, p.data(), jacobians != nullptr);
    if (!f.ok || f.count != num_residuals()) return false;
    for (int r = 0; r < f.count; ++r) residuals[r] = f.miss[r];
    if (jacobians == nullptr) return true;
    for (std::size_t b = 0; b < blocks_.size(); ++b) {
      if (jacobians[b] == nullptr) continue;
      for (int r = 0; r < f.count; ++r) {
        double d = blocks_[b] == terms_.k ? f.dK[r] : 0.0;
        for (const auto& [i, c] : terms_.u)
          if (i == blocks_[b]) d += c * f.dU[r];
        jacobians[b][r] = d;
      }
    }
    return true;
  }

 private:
  const Model& model_;
  const LogLine& line_;
  LineTerms terms_;
  std::vector<int> blocks_;
};

// The parameters a line's terms use, once each.
std::vector<int> blocksOf(const LineTerms& t) {
  std::vector<int> b;
  for (const auto& term : t.u) b.push_back(term.first);
  if (t.k >= 0) b.push_back(t.k);
  std::sort(b.begin(), b.end());
  b.erase(std::unique(b.begin(), b.end()), b.end());
  return b;
}

ceres::LossFunction* lossOf(const Model& m) {
  if (m.loss == Loss::huber) return new ceres::HuberLoss(m.lossScale);
  if (m.loss == Loss::cauchy) return new ceres::CauchyLoss(m.lossScale);
  return nullptr;
}

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

Calibration calibrate(const Model& model, const Log& log, const Settings& settings) {
  Calibration c;
  c.names = model.names;
  c.values = model.start();
  ceres::Problem::Options po;
  po.loss_function_ownership = ceres::TAKE_OWNERSHIP;
  ceres::Problem problem(po);
  for (const LogLine& line : log.lines) {
    LineTerms t = lineTerms(model, log, line);
    const std::vector<int> blocks = blocksOf(t);
    std::vector<double*> ptrs;
    for (const int b : blocks) ptrs.push_back(&c.values[std::size_t(b)]);
    const int count = std::isnan(line.slip) ? 1 : 2;
    problem.AddResidualBlock(new LineCost(model, line, std::move(t), count, blocks), lossOf(model), ptrs);
  }
  for (std::size_t i = 0; i < c.values.size(); ++i)
    if (problem.HasParameterBlock(&c.values[i]) && model.names[i].starts_with("Y_FACTOR"))
      problem.SetParameterLowerBound(&c.values[i], 0, 1e-3);
  ceres::Solver::Options options;
  options.trust_region_strategy_type = ceres::LEVENBERG_MARQUARDT;
  options.linear_solver_type = ceres::DENSE_QR;
  options.num_threads = int(std::max(1u, settings.threads));
  options.max_num_iterations = settings.maxIterations;
  options.function_tolerance = 1e-10;
  options.parameter_tolerance = 1e-9;
  options.logging_type = ceres::SILENT;
  ProgressLine progress(settings.progress);
  if (settings.progress != nullptr) options.callbacks.push_back(&progress), options.update_state_every_iteration = true;
  ceres::Solver::Summary summary;
  if (problem.NumResidualBlocks() > 0) ceres::Solve(options, &problem, &summary);
  if (settings.progress != nullptr) std::fputs("\n", settings.progress);
  c.iterations = int(summary.iterations.size());
  c.converged = summary.termination_type == ceres::CONVERGENCE;
  c.termination = summary.message;
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
