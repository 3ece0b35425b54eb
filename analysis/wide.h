// The double intermediates of the analysis's formulas: `Wide`.
//
// The native build finds the analysis's faults (invalid operation, division
// by zero, overflow) by the processor's floating-point traps; there Wide is
// plain double and costs nothing. A build without traps (WebAssembly has
// none) defines OROWAN_CHECKED_ARITHMETIC: Wide is then a double whose every
// operation looks at its result and raises the fault the trap would have
// raised at that operation (analysis/checked_wide.h), and a stored Real
// checks its rounding to single precision for overflow.
#pragma once

#ifdef OROWAN_CHECKED_ARITHMETIC
#include "analysis/checked_wide.h"
#else
namespace orowan {
using Wide = double;

// A double rounded to single precision, as a store rounds it (the trap
// reports an overflow).
constexpr float toSingle(double d) { return static_cast<float>(d); }
}  // namespace orowan
#endif
