// The library's two marches side by side, and the values it keeps of a
// step, in whichever order its marches run.
#pragma once

#include <cmath>

#include "analysis/analysis.h"
#include "analysis/pass.h"

namespace orowan {

// Both marches of the pass in `r` in one loop: exit step i beside entry
// step i, their four integrator stages interleaved, so that the processor
// overlaps the two chains of dependent arithmetic. Each march has a state
// and angle memory of its own and runs the console march's formulas, so
// each gives the bits it gives alone. Into `r` go the histories, the step
// counts and EXIT_X_BEYOND, and the section as the entry march leaves it
// (as after the console's marches); every step's values go into
// result.exit and result.entry. A fault goes to the thread's fault handler
// with no word of which march raised it first: the caller solves such a
// pass again in the console's order.
void marchSideBySide(AnalysisRecord& r, PassResult& result);

// The edge above which a double rounds to single-precision infinity.
constexpr double kSingleOverflowEdge = 0x1.ffffffp127;

// A stored value worked out where the console works out none: rounded as
// a store would be, but without the trap a store would raise.
inline float storeQuietly(double value) {
  if (std::fabs(value) >= kSingleOverflowEdge) return value > 0 ? INFINITY : -INFINITY;
  return static_cast<float>(value);
}

// A step's values from the section of march state `s`. On the console's
// row steps the row values are worked out as the console's row does,
// faults and all; on the others the console works out nothing, so nothing
// may fault there.
template <class S>
StepValues stepValuesOf(const S& s, const Real& PI, bool rowDue) {
  RowValues row;
  if (rowDue) {
    row = workOutRowValues(s, PI);
  } else {
    row.pOverK.v = storeQuietly(s.P / s.RK);
    row.sgxOverK.v = storeQuietly(s.SGX / s.RK);
    row.degrees.v = storeQuietly((s.PHI * 180.0) / PI);
  }
  return {s.X.v, s.PHI.v, row.degrees.v, s.SL_ST,  s.F.v,  s.P.v, row.pOverK.v, s.SGX.v,
          row.sgxOverK.v, s.TAU.v, s.H.v, s.U.v, s.RK.v, s.A.v, s.W.v};
}

}  // namespace orowan
