// Every parameter of the laws at once, by Levenberg–Marquardt on the
// relative misses of force (and slip where measured), with an optional
// robust loss as weights: Ceres Solver does the minimising (its trust
// region, damping and step acceptance, bounds), over the sums JᵀWJ, JᵀWr
// and the cost that calibrate/model.h adds up over the lines.
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "calibrate/model.h"

namespace orowan::calibrate {

struct ErrorStats {
  long count = 0;
  double rms = NAN, largest = NAN;  // of the relative misses; largest by magnitude, signed
};

// One line's values at the fitted (or the log's own) parameters.
struct LineResult {
  bool ok = false;
  double U = NAN, factor = NAN, force = NAN, slip = NAN, forceMiss = NAN, slipMiss = NAN;
};

struct Calibration {
  std::vector<std::string> names;
  std::vector<double> values, stderrs;
  int iterations = 0;
  bool converged = false;
  std::string termination;   // Ceres's words
  long failed = 0;           // lines whose pass failed at the optimum
  ErrorStats forceBefore, forceAfter, slipBefore, slipAfter;
  std::vector<LineResult> before, after;  // a line each, in log order
};

struct Settings {
  unsigned threads = 1;
  int maxIterations = 100;
  std::FILE* progress = nullptr;  // a line per iteration, rewritten (a terminal), or nullptr
};

// The sums over the lines at the parameters (without `derivatives` the
// cost alone): this machine's lines, or a cluster's partitions.
using NormalProvider = std::function<NormalEquations(const std::vector<double>& parameters, bool derivatives)>;

struct Minimum {
  std::vector<double> values;
  int iterations = 0;
  bool converged = false;
  std::string termination;
};

// Ceres's Levenberg–Marquardt over the provider's sums from `start`
// (parameters named Y_FACTOR... kept at 1e-3 or above): the robust loss
// is in the sums' weights, so every caller minimises the same way.
Minimum minimise(const NormalProvider& provider, const std::vector<double>& start,
                 const std::vector<std::string>& names, int maxIterations, std::FILE* progress);

// Fits the model's parameters over the log's lines. "Before" is each line
// at its own U (0.1 when the log has none) and factor 1.
Calibration calibrate(const Model& model, const Log& log, const Settings& settings);

// The statistics of the misses (NaN ignored).
ErrorStats statsOf(const std::vector<double>& misses);

}  // namespace orowan::calibrate
