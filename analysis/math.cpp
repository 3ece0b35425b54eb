#include "analysis/math.h"

#include <atomic>
#include <cmath>

#include "analysis/fault.h"

namespace orowan {
namespace {

thread_local constinit MathCallLog* callLog = nullptr;

// How many threads have a log set. A plain global, read first, so that the
// usual call (no log anywhere) touches no per-thread state: in a shared
// object every access to that costs a call. On a cache line of its own:
// every thread reads it at every call, and a neighbour written by the
// threads (the library call's lock) would send the line between cores.
struct alignas(64) ThreadCount {
  std::atomic<int> count{0};
};
ThreadCount threadsLogging;

inline void note(MathFunction function, double x) {
  if (threadsLogging.count.load(std::memory_order_relaxed) == 0 || callLog == nullptr) return;
  if (callLog->count < callLog->capacity) callLog->calls[callLog->count] = {function, x};
  ++callLog->count;
}

}  // namespace

void setMathCallLog(MathCallLog* log) {
  threadsLogging.count.fetch_add((log != nullptr) - (callLog != nullptr), std::memory_order_relaxed);
  callLog = log;
}

Wide mathSqrt(Wide x) {
  if (x < 0.0) raiseDomainError("sqrt");
  note(MathFunction::sqrt, x);
  return std::sqrt(x);
}

Wide mathSin(Wide x) {
  if (std::isinf(x)) raiseDomainError("sin");
  note(MathFunction::sin, x);
  return std::sin(x);
}

Wide mathCos(Wide x) {
  if (std::isinf(x)) raiseDomainError("cos");
  note(MathFunction::cos, x);
  return std::cos(x);
}

// Defined for every argument; a NaN passes through.
Wide mathAtan(Wide x) {
  note(MathFunction::atan, x);
  return std::atan(x);
}

}  // namespace orowan
