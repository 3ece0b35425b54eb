// Every parameter of the laws at once, by Levenberg–Marquardt on the
// relative misses of force (and slip where measured), with an optional
// robust loss: Ceres Solver does the minimising (its trust region, robust
// losses and threaded evaluation of the lines), the lines' misses and
// slopes come from calibrate/model.h.
#pragma once

#include <cstdio>
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

// Fits the model's parameters over the log's lines. "Before" is each line
// at its own U (0.1 when the log has none) and factor 1.
Calibration calibrate(const Model& model, const Log& log, const Settings& settings);

// The statistics of the misses (NaN ignored).
ErrorStats statsOf(const std::vector<double>& misses);

}  // namespace orowan::calibrate
