// Friction coefficient and yield stress against position: piecewise-linear
// tables looked up by a linear scan of their intervals. Inline, so that a
// march step's two lookups cost no calls.
#pragma once

#include <algorithm>
#include <cmath>

#include "analysis/record.h"

namespace orowan {

inline bool isPositiveZero(double x) { return x == 0.0 && !std::signbit(x); }

// Writes into `result` the table's value at X: linear within the first
// interval [x(k), x(k+1)) that holds X, `defaultValue` when none does.
// The slope and the result are rounded to single precision; `absolute`
// takes the absolute value of an interpolated result (never of the default).
inline void lookupProperty(const PropertyTable& table, const Real& X, Real& result,
                           double defaultValue, bool absolute) {
  result = defaultValue;
  // count never exceeds the capacity; the clamp keeps every index provably inside.
  const int count = std::clamp(static_cast<int>(table.count), 0, kTableCapacity);
  for (int k = 0; k + 1 < count; ++k) {
    const Real& left = table.positions[k];
    const Real& right = table.positions[k + 1];
    if (!(left <= X && X < right)) continue;
    // A containing interval has right > left, so the divisor is positive,
    // and a flat interval's slope is +0 exactly: its division (the dearest
    // operation of a lookup) is left out.
    const Wide rise = table.values[k + 1] - table.values[k];
    const Real slope = isPositiveZero(rise) ? Real(0.0) : Real(rise / (right - left));
    result = (X - left) * slope + table.values[k];
    if (absolute) result = std::fabs(result.v);
    return;
  }
}

// Friction coefficient at X in the tables of `pass`; 0.1 outside the
// table, never negative inside it.
inline void lookupFriction(const AnalysisRecord& pass, const Real& X, Real& U) {
  lookupProperty(pass.frictionTable, X, U, single(0.1), true);
}

// Yield stress at X; 20.0 outside the table.
inline void lookupYieldStress(const AnalysisRecord& pass, const Real& X, Real& RK) {
  lookupProperty(pass.yieldTable, X, RK, 20.0, false);
}

}  // namespace orowan
