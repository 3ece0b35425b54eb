// The value of one input that makes a pass's result meet a target: the
// exit thickness a stand takes at a force, the friction that gives a
// measured force, a ratio of loads. The console's scheme makes such
// results piecewise continuous: the step count flips between 400 and 401
// and the neutral step moves as the inputs' roundings fall, so between
// two neighbouring inputs the result may jump by some tenths of a per
// cent. The finder therefore brackets, closes the bracket by regula falsi
// with the Illinois halving (bisecting when that stalls), and ends on a
// jump when no single value is left between the two sides: the answer is
// then the side nearer the target, and the status says so.
#pragma once

#include <functional>
#include <optional>

namespace orowan::passes {

struct RootOptions {
  // Met: |f(x) - target| <= targetTolerance * |target| (or absolutely,
  // for a target of 0).
  double targetTolerance = 1e-6;
  // Inputs are the single values a pass takes: the bracket is closed when
  // its two ends are neighbouring single values.
  bool singleInputs = true;
  int maxEvaluations = 100;
};

enum class RootStatus : unsigned char {
  met,           // |f(x) - target| within the tolerance
  jump,          // no input left between two whose results lie either side
  belowRange,    // the target is below every result over [lo, hi]
  aboveRange,    // ... above every result
  limit,         // maxEvaluations reached first
  failed,        // f gave no value (a fault, no neutral point) at an input tried
};

struct RootResult {
  RootStatus status = RootStatus::failed;
  double x = 0, value = 0;  // the answer and its result (the nearer side on a jump)
  double rangeLow = 0, rangeHigh = 0;  // the results at the ends (for a target out of range)
  double failedAt = 0;      // the input at which f gave nothing
  int evaluations = 0;
};

// f(x): the result at input x, or nothing where the pass has none. f must
// be monotone over [lo, hi] apart from the small jumps above (either
// direction). The last call of f is at the answer whenever the answer is
// met or a jump, so the caller's pass is the one at x.
RootResult findRoot(const std::function<std::optional<double>(double x)>& f, double target, double lo,
                    double hi, const RootOptions& options = {});

}  // namespace orowan::passes
