// The math functions of the analysis, on doubles. Each checks its domain
// before the call and raises "name: DOMAIN error" outside it, so that the
// library function itself never meets an argument it would fault on.
#pragma once

#include <cstdint>

#include "analysis/wide.h"

namespace orowan {

Wide mathSqrt(Wide x);
Wide mathSin(Wide x);
Wide mathCos(Wide x);
Wide mathAtan(Wide x);

// A log of the calls above, in order, while it is set on the calling
// thread: the benchmarks replay a pass's calls as its math floor.
enum class MathFunction : std::uint8_t { sqrt, sin, cos, atan };
struct MathCall {
  MathFunction function;
  double argument;
};
struct MathCallLog {
  MathCall* calls;
  int capacity;
  int count = 0;  // calls beyond the capacity are counted, not kept
};
void setMathCallLog(MathCallLog* log);  // null: no log

}  // namespace orowan
