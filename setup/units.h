// The file's and the output's units against the analysis's: stresses in
// kgf/mm2 (MPa in SI), loads in t and t-m (kN, kN-m). One division or
// multiplication in double, one rounding to single precision, as the
// batch tool converts its columns (so that a stand's pass is the batch
// tool's pass for the same typed values).
#pragma once

#include <cmath>

#include "setup/mill.h"

namespace orowan::setup {

inline constexpr double kNewtonsPerKgf = 9.80665;  // also kN per t

// A double rounded to single precision; beyond the largest single it is
// infinity (the plain cast would be undefined).
inline float roundToSingle(double value) {
  constexpr double kOverflowEdge = 0x1.ffffffp127;
  if (std::fabs(value) >= kOverflowEdge) return value > 0 ? INFINITY : -INFINITY;
  return static_cast<float>(value);
}

// A stress (or a load) of `units` in kgf/mm2 (t, t-m).
inline float stressToAnalysis(float value, Units units) {
  return units == Units::si ? roundToSingle(double(value) / kNewtonsPerKgf) : value;
}

// A double in kgf/mm2, t/m, t or t-m in `units`.
inline double toUnits(double value, Units units) {
  return units == Units::si ? value * kNewtonsPerKgf : value;
}

}  // namespace orowan::setup
