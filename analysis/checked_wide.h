// Checked double arithmetic for a build without floating-point traps
// (OROWAN_CHECKED_ARITHMETIC; analysis/wide.h). Every operation on a Wide
// computes the IEEE double result as the native build does and then raises
// the fault that the native build's trap would have raised at that same
// operation:
//   invalid operation  a NaN from operands that are not NaN (0/0, inf - inf,
//                      0 * inf), and an ordered comparison (<, <=, >, >=)
//                      with a NaN operand, as the processor's signalling
//                      comparison does;
//   division by zero   a finite non-zero dividend over a zero divisor;
//   overflow           an infinite result from finite operands, and a finite
//                      double that rounds to an infinite single when stored.
// Infinite or NaN operands give what IEEE gives without a fault, as the
// traps let them. Underflow and inexact are not trapped by the analysis, so
// they are not faults here either. The result test is one comparison on the
// usual path (a finite result); the fault's classification is out of line.
#pragma once

#include <cmath>
#include <csignal>
#include <type_traits>

#include "analysis/fault.h"

namespace orowan {

namespace checked {

// The fault of an operation whose result `r` is not finite.
[[noreturn, gnu::cold, gnu::noinline]] inline void raiseFor(int code) { raiseTrappedFault(code); }

// After a + b, a - b or a * b = r.
[[gnu::noinline]] inline void classifyArithmetic(double a, double b, double r) {
  if (std::isnan(r)) {
    if (!std::isnan(a) && !std::isnan(b)) raiseFor(FPE_FLTINV);
  } else if (std::isfinite(a) && std::isfinite(b)) {
    raiseFor(FPE_FLTOVF);
  }
}

// After a / b = r.
[[gnu::noinline]] inline void classifyDivision(double a, double b, double r) {
  if (std::isnan(a) || std::isnan(b)) return;
  if (b == 0.0) {
    if (a == 0.0) raiseFor(FPE_FLTINV);
    if (std::isfinite(a)) raiseFor(FPE_FLTDIV);
    return;  // inf / 0 is inf, no fault
  }
  classifyArithmetic(a, b, r);
}

inline bool notFinite(double r) { return !(std::fabs(r) <= 1.7976931348623157e308); }

inline double add(double a, double b) {
  const double r = a + b;
  if (notFinite(r)) [[unlikely]] classifyArithmetic(a, b, r);
  return r;
}
inline double subtract(double a, double b) {
  const double r = a - b;
  if (notFinite(r)) [[unlikely]] classifyArithmetic(a, b, r);
  return r;
}
inline double multiply(double a, double b) {
  const double r = a * b;
  if (notFinite(r)) [[unlikely]] classifyArithmetic(a, b, r);
  return r;
}
inline double divide(double a, double b) {
  const double r = a / b;
  if (notFinite(r)) [[unlikely]] classifyDivision(a, b, r);
  return r;
}

// An ordered comparison's operands: a NaN is an invalid operation.
inline void compared(double a, double b) {
  if (std::isnan(a) || std::isnan(b)) [[unlikely]] raiseFor(FPE_FLTINV);
}

}  // namespace checked

// A double whose operations are checked. It converts to and from double
// freely, so that it passes wherever a double is taken; an operation with
// a Wide operand is a checked one.
struct Wide {
  double v = 0.0;

  constexpr Wide() = default;
  constexpr Wide(double d) : v(d) {}           // NOLINT: a double is a Wide
  constexpr operator double() const { return v; }  // NOLINT: and back
};

template <class T>
concept Plain = std::is_arithmetic_v<T>;

// Each operator for Wide with Wide and with a plain number on either side,
// so that no built-in operator competes with them.
#define OROWAN_CHECKED_OPERATOR(op, function)                                       \
  inline Wide operator op(Wide a, Wide b) { return checked::function(a.v, b.v); }   \
  template <Plain T>                                                                \
  inline Wide operator op(Wide a, T b) { return checked::function(a.v, double(b)); } \
  template <Plain T>                                                                \
  inline Wide operator op(T a, Wide b) { return checked::function(double(a), b.v); }
OROWAN_CHECKED_OPERATOR(+, add)
OROWAN_CHECKED_OPERATOR(-, subtract)
OROWAN_CHECKED_OPERATOR(*, multiply)
OROWAN_CHECKED_OPERATOR(/, divide)
#undef OROWAN_CHECKED_OPERATOR

#define OROWAN_CHECKED_COMPARISON(op)                                                        \
  inline bool operator op(Wide a, Wide b) { return checked::compared(a.v, b.v), a.v op b.v; } \
  template <Plain T>                                                                         \
  inline bool operator op(Wide a, T b) { return checked::compared(a.v, b), a.v op b; }       \
  template <Plain T>                                                                         \
  inline bool operator op(T a, Wide b) { return checked::compared(a, b.v), a op b.v; }
OROWAN_CHECKED_COMPARISON(<)
OROWAN_CHECKED_COMPARISON(<=)
OROWAN_CHECKED_COMPARISON(>)
OROWAN_CHECKED_COMPARISON(>=)
#undef OROWAN_CHECKED_COMPARISON

// Equality is a quiet comparison: no fault, even with a NaN.
inline bool operator==(Wide a, Wide b) { return a.v == b.v; }
template <Plain T>
inline bool operator==(Wide a, T b) { return a.v == b; }

inline Wide operator-(Wide a) { return -a.v; }  // exact, never a fault
inline Wide operator+(Wide a) { return a; }

namespace checked {
// After a store of `d` gave an infinite single: an overflow unless `d`
// was infinite already.
[[gnu::cold, gnu::noinline]] inline void storedInfinity(double d) {
  if (std::isfinite(d)) raiseFor(FPE_FLTOVF);
}
}  // namespace checked

// A double rounded to single precision as a store rounds it: a finite
// double beyond the single range is an overflow. The usual path is one
// comparison of the single (false for a NaN, which is no fault).
constexpr float toSingle(double d) {
  const float f = static_cast<float>(d);
  if (__builtin_fabsf(f) > 3.40282347e38f) [[unlikely]] checked::storedInfinity(d);
  return f;
}

}  // namespace orowan
