// A bracketed root of a continuous function on [lo, hi]: regula falsi with
// the Illinois modification, which keeps the bracket and converges
// superlinearly. Internal to orowan_accuracy.
#pragma once

#include <cmath>

namespace orowan::accuracy {

// The root of f in [lo, hi], given f(lo) = flo and f(hi) = fhi of opposite
// signs (or one of them zero), to an interval width of `width`.
template <typename Function>
double findBracketedRoot(Function f, double lo, double hi, double flo, double fhi,
                         double width = 1e-15) {
  if (flo == 0.0) return lo;
  if (fhi == 0.0) return hi;
  int sameEndStreak = 0;  // which end moved last: +n hi, -n lo
  for (int iteration = 0; iteration < 200 && hi - lo > width; ++iteration) {
    const double x = hi - fhi * (hi - lo) / (fhi - flo);
    const double fx = f(x);
    if (fx == 0.0 || !(x > lo && x < hi)) return x;
    if ((fx < 0.0) == (flo < 0.0)) {
      lo = x, flo = fx;
      sameEndStreak = sameEndStreak < 0 ? sameEndStreak - 1 : -1;
      if (sameEndStreak <= -2) fhi *= 0.5;  // Illinois: halve the stale end
    } else {
      hi = x, fhi = fx;
      sameEndStreak = sameEndStreak > 0 ? sameEndStreak + 1 : 1;
      if (sameEndStreak >= 2) flo *= 0.5;
    }
  }
  return 0.5 * (lo + hi);
}

}  // namespace orowan::accuracy
