// The laws a calibration fits and what one log line contributes: the
// friction law (one coefficient; a linear law in columns; one coefficient
// per value of a column) and the flow-factor law (none; one factor; one
// per value of a column), their parameters by name, and each line's
// relative misses of force and slip with their derivatives. Both the
// single-machine least squares (calibrate/least_squares.h) and a
// distributed one (the Python module's orowan.dask, summing JᵀJ and Jᵀr
// over partitions) evaluate lines through here.
#pragma once

#include <string>
#include <vector>

#include "calibrate/log.h"

namespace orowan::calibrate {

struct Law {
  enum class Kind { none, constant, linear, by } kind = Kind::constant;
  std::vector<std::string> columns;  // linear: the columns; by: the one column
};

// "const", "linear:COL[,COL...]", "by:COL" (and for the factor "none");
// throws std::invalid_argument naming what is wrong.
Law parseFrictionLaw(const std::string& text);
Law parseFactorLaw(const std::string& text);

// The columns the laws read off each line.
LogColumns lawColumns(const Law& friction, const Law& factor);

enum class Loss { squared, huber, cauchy };

struct Model {
  Law friction, factor;
  std::vector<std::string> frictionGroups, factorGroups;  // by:COL values, sorted
  std::vector<std::string> names;  // U0, U_<COL>..., U[<v>]..., Y_FACTOR or Y_FACTOR[<v>]...
  std::vector<int> lawNumbers;     // the linear law's columns as Log::numbers indices
  Loss loss = Loss::squared;
  double lossScale = 0.02;         // relative miss where the robust loss turns

  int parameterCount() const { return int(names.size()); }
  // Friction 0.1 (its slopes 0), factors 1.
  std::vector<double> start() const;
};

// The model of the laws over the log: the groups are the values the log's
// lines have. `frictionGroups`/`factorGroups` non-empty: those instead (a
// distributed log, whose values were gathered first).
Model makeModel(const Law& friction, const Law& factor, const Log& log, std::vector<std::string> frictionGroups = {},
                std::vector<std::string> factorGroups = {});

// How a line's U and factor follow from the parameters: U = Σ c·p over
// `u`, the factor p[k] (k -1: 1).
struct LineTerms {
  std::vector<std::pair<int, double>> u;
  int k = -1;
};
LineTerms lineTerms(const Model& model, const Log& log, const LogLine& line);

// A line at the parameters: its relative misses (force, then slip when
// measured), computed values, and d(miss)/dU and d(miss)/dfactor.
struct LineFit {
  bool ok = false;          // the pass found its neutral point (with the differences too)
  int count = 0;            // 1 or 2 misses
  double miss[2] = {}, dU[2] = {}, dK[2] = {};
  double force = NAN, slip = NAN, U = NAN, factor = NAN;
};

// Solves the line at the parameters; with `derivatives`, also at U and
// the factor 5 % either side (the console's force jumps by some tenths of
// a per cent between neighbouring inputs: a smaller step would measure
// the jumps, not the slope).
LineFit evaluateLine(const Model& model, const LineTerms& terms, const LogLine& line, const double* parameters,
                     bool derivatives);

// ρ(s) of the loss at s = miss², and its slope ρ'(s).
double lossValue(const Model& model, double s);
double lossSlope(const Model& model, double s);

// The normal equations of lines [begin, end) at the parameters, with the
// robust loss as weights ρ'(r²) (the gradient JᵀWr is the loss's own, so
// its zero is the same optimum): JᵀWJ (row-major p×p), JᵀWr, the cost
// ½Σρ(r²), the misses counted, and the lines whose pass failed.
struct NormalEquations {
  std::vector<double> JtJ, Jtr;
  double cost = 0;
  long residuals = 0, failed = 0;
};
// Without `derivatives` only the cost and counts (JᵀWJ and JᵀWr zero).
NormalEquations normalEquations(const Model& model, const Log& log, const std::vector<double>& parameters,
                                unsigned threads, bool derivatives = true);

// Standard errors from JᵀWJ at the optimum: sqrt(diag((JᵀWJ)⁻¹) · 2·cost/(n - p)).
std::vector<double> standardErrors(const NormalEquations& at, int parameterCount);

}  // namespace orowan::calibrate
