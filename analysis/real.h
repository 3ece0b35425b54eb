// Stored reals of the analysis.
#pragma once

#include "analysis/wide.h"

namespace orowan {

// A stored REAL: a 32-bit float that enters every formula as a double (a
// Wide: analysis/wide.h) and is rounded to single precision once, when the
// formula's result is stored. So `x = a * b + c` reads like the formula and
// rounds exactly once.
struct Real {
  float v = 0.0f;

  constexpr Real() = default;
  constexpr Real(Wide d) : v(toSingle(d)) {}       // NOLINT: rounding store
  constexpr operator Wide() const { return v; }   // NOLINT: exact widening
  constexpr Real& operator=(Wide d) {
    v = toSingle(d);
    return *this;
  }
#ifdef OROWAN_CHECKED_ARITHMETIC
  // A plain double is stored as a Wide is.
  constexpr Real(double d) : v(toSingle(d)) {}  // NOLINT: rounding store
  constexpr Real& operator=(double d) {
    v = toSingle(d);
    return *this;
  }
#endif
};

// The single-precision value of a decimal constant: the analysis holds 0.1,
// 1.15, -0.01 and 3.1415927 as stored REALs.
constexpr double single(double d) { return static_cast<float>(d); }

}  // namespace orowan
