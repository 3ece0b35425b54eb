// Axes: round-number ticks (1, 2, 5 x 10^k) or decades, their labels, and
// the mapping from data values to pixels.
#pragma once

#include <limits>
#include <string>
#include <vector>

namespace orowan::pictures {

enum class ScaleKind { linear, logarithmic };

// The smallest and largest of the values an axis must cover.
struct Extent {
  double min = std::numeric_limits<double>::infinity();
  double max = -std::numeric_limits<double>::infinity();
  // Takes a finite value; others are ignored (they are never drawn).
  void add(double value);
  bool empty() const { return min > max; }
};

struct Axis {
  ScaleKind kind = ScaleKind::linear;
  double lo = 0, hi = 1;            // the covered range, from the first to the last tick
  double step = 1;                  // linear: tick spacing; logarithmic: decades per tick
  std::vector<double> ticks;        // labelled ticks, ascending, lo and hi included
  std::vector<std::string> labels;  // one per tick
  std::vector<double> minorTicks;   // unlabelled (2..9 x 10^k on a log axis)
  double pixelLo = 0, pixelHi = 1;  // pixel positions of lo and hi

  // Pixel position of a value (a log axis takes positive values only).
  double toPixel(double value) const;
};

// A linear axis padded to round ticks, with the finest 1-2-5 step that
// needs at most `intervals` intervals. An empty extent gives 0 to 1; a zero-width one is widened by
// 10 % of its value (or to -1..1 around zero), so nothing divides by zero.
Axis linearAxis(Extent extent, int intervals);

// A logarithmic axis from the decade at or below the smallest value to the
// decade at or above the largest; `extent` must hold positive values only.
Axis logAxis(Extent extent);

// The same axis with `steps` more ticks (or labelled decades) above its top,
// which leaves room for a legend over the data.
Axis extendedTop(const Axis& axis, int steps);

// Label of a linear tick with the fewest decimals that tell ticks `step`
// apart; very large or very small values as "2.5×10⁶". Minus as "−".
std::string linearTickLabel(double value, double step, double largestMagnitude);

// A value in a label: two decimals, more for magnitudes below 0.1 (three
// significant digits), and "2.000×10³⁰" below 10⁻⁴ or from 10⁷ on.
std::string valueText(double value);

// Label of a decade tick: "10³", "10⁻⁶".
std::string decadeLabel(int exponent);

}  // namespace orowan::pictures
