#include "analysis/math.h"

#include <cmath>

#include "analysis/fault.h"

namespace orowan {
namespace {

thread_local constinit MathCallLog* callLog = nullptr;

inline void note(MathFunction function, double x) {
  if (callLog == nullptr) return;
  if (callLog->count < callLog->capacity) callLog->calls[callLog->count] = {function, x};
  ++callLog->count;
}

}  // namespace

void setMathCallLog(MathCallLog* log) { callLog = log; }

double mathSqrt(double x) {
  if (x < 0.0) raiseDomainError("sqrt");
  note(MathFunction::sqrt, x);
  return std::sqrt(x);
}

double mathSin(double x) {
  if (std::isinf(x)) raiseDomainError("sin");
  note(MathFunction::sin, x);
  return std::sin(x);
}

double mathCos(double x) {
  if (std::isinf(x)) raiseDomainError("cos");
  note(MathFunction::cos, x);
  return std::cos(x);
}

// Defined for every argument; a NaN passes through.
double mathAtan(double x) {
  note(MathFunction::atan, x);
  return std::atan(x);
}

}  // namespace orowan
