// Stored reals of the analysis.
#pragma once

namespace orowan {

// A stored REAL: a 32-bit float that enters every formula as a double and
// is rounded to single precision once, when the formula's result is stored.
// So `x = a * b + c` reads like the formula and rounds exactly once.
struct Real {
  float v = 0.0f;

  constexpr Real() = default;
  constexpr Real(double d) : v(static_cast<float>(d)) {}  // NOLINT: rounding store
  constexpr operator double() const { return v; }         // NOLINT: exact widening
  constexpr Real& operator=(double d) {
    v = static_cast<float>(d);
    return *this;
  }
};

// The single-precision value of a decimal constant: the analysis holds 0.1,
// 1.15, -0.01 and 3.1415927 as stored REALs.
constexpr double single(double d) { return static_cast<float>(d); }

}  // namespace orowan
