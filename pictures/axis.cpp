#include "pictures/axis.h"

#include <algorithm>
#include <cmath>

#include "pictures/svg_writer.h"

namespace orowan::pictures {
namespace {

// Larger magnitudes are clamped so that spans and steps stay finite.
constexpr double kLargest = 1e300;

// The smallest step of 1, 2, 5 x 10^k whose ticks cover `e` in at most
// `intervals` intervals.
double roundStep(const Extent& e, int intervals) {
  double raw = (e.max - e.min) / intervals;
  double step = std::pow(10.0, std::floor(std::log10(raw)) - 1);
  for (int tries = 0; tries < 12; ++tries) {
    for (double m : {1.0, 2.0, 5.0}) {
      double s = m * step;
      if (std::ceil(e.max / s) - std::floor(e.min / s) <= intervals) return s;
    }
    step *= 10;
  }
  return step;
}

// The index i of the tick i x step next to `value` on the side `direction`
// (-1 below, +1 above), so that the ticks cover the value exactly.
long long coveringIndex(double value, double step, int direction) {
  auto i =
      static_cast<long long>(direction < 0 ? std::floor(value / step) : std::ceil(value / step));
  while (direction < 0 && static_cast<double>(i) * step > value) --i;
  while (direction > 0 && static_cast<double>(i) * step < value) ++i;
  return i;
}

// Widens a zero-width (or empty) extent so an axis can be drawn around it.
Extent widened(Extent e) {
  if (e.empty()) return {0, 1};
  e.min = std::clamp(e.min, -kLargest, kLargest);
  e.max = std::clamp(e.max, -kLargest, kLargest);
  double magnitude = std::max(std::fabs(e.min), std::fabs(e.max));
  if (e.max - e.min > 1e-9 * magnitude) return e;
  double pad = magnitude > 0 ? 0.1 * magnitude : 1.0;
  return {e.min - pad, e.max + pad};
}

std::string superscript(int number) {
  static const char* const digits[] = {"⁰", "¹", "²", "³", "⁴", "⁵", "⁶", "⁷", "⁸", "⁹"};
  std::string text = number < 0 ? "⁻" : "";
  for (char c : std::to_string(std::abs(number))) text += digits[c - '0'];
  return text;
}

std::string withTypographicMinus(std::string text) {
  if (!text.empty() && text[0] == '-') text.replace(0, 1, "−");
  return text;
}

void labelLinearTicks(Axis& axis) {
  double largest = std::max(std::fabs(axis.lo), std::fabs(axis.hi));
  axis.labels.clear();
  for (double t : axis.ticks) axis.labels.push_back(linearTickLabel(t, axis.step, largest));
}

// Ticks at whole multiples of `step` from index `first` to `last`.
void setLinearTicks(Axis& axis, long long first, long long last) {
  axis.ticks.clear();
  for (long long i = first; i <= last; ++i)
    axis.ticks.push_back(static_cast<double>(i) * axis.step);
  axis.lo = axis.ticks.front();
  axis.hi = axis.ticks.back();
  labelLinearTicks(axis);
}

void setDecades(Axis& axis, int first, int last) {
  int every = static_cast<int>(axis.step);
  axis.ticks.clear();
  axis.labels.clear();
  axis.minorTicks.clear();
  for (int e = first; e <= last; e += every) {
    axis.ticks.push_back(std::pow(10.0, e));
    axis.labels.push_back(decadeLabel(e));
  }
  axis.lo = std::pow(10.0, first);
  axis.hi = axis.ticks.back();
  if (last - first > 6) return;  // minor ticks would crowd
  for (int e = first; e < last; ++e) {
    for (int m = 2; m <= 9; ++m) axis.minorTicks.push_back(m * std::pow(10.0, e));
  }
}

}  // namespace

void Extent::add(double value) {
  if (!std::isfinite(value)) return;
  min = std::min(min, value);
  max = std::max(max, value);
}

double Axis::toPixel(double value) const {
  double a = lo, b = hi, v = value;
  if (kind == ScaleKind::logarithmic) {
    a = std::log10(lo);
    b = std::log10(hi);
    v = std::log10(value);
  }
  return pixelLo + (v - a) / (b - a) * (pixelHi - pixelLo);
}

Axis linearAxis(Extent extent, int intervals) {
  Extent e = widened(extent);
  Axis axis;
  axis.step = roundStep(e, std::max(intervals, 1));
  setLinearTicks(axis, coveringIndex(e.min, axis.step, -1), coveringIndex(e.max, axis.step, +1));
  return axis;
}

Axis logAxis(Extent extent) {
  Axis axis;
  axis.kind = ScaleKind::logarithmic;
  if (extent.empty() || extent.min <= 0) extent = {1, 10};
  int first = static_cast<int>(std::floor(std::log10(extent.min) + 1e-12));
  int last = static_cast<int>(std::ceil(std::log10(extent.max) - 1e-12));
  if (last <= first) last = first + 1;
  axis.step = std::ceil((last - first) / 8.0);
  int every = static_cast<int>(axis.step);
  last = first + (last - first + every - 1) / every * every;  // end on a labelled decade
  setDecades(axis, first, last);
  return axis;
}

Axis extendedTop(const Axis& axis, int steps) {
  Axis wider = axis;
  if (axis.kind == ScaleKind::logarithmic) {
    int first = static_cast<int>(std::lround(std::log10(axis.lo)));
    int last = static_cast<int>(std::lround(std::log10(axis.hi)));
    setDecades(wider, first, last + steps * static_cast<int>(axis.step));
    return wider;
  }
  long long first = std::llround(axis.lo / axis.step);
  long long last = std::llround(axis.hi / axis.step);
  setLinearTicks(wider, first, last + steps);
  return wider;
}

std::string linearTickLabel(double value, double step, double largestMagnitude) {
  int stepExponent = static_cast<int>(std::floor(std::log10(step) + 1e-9));
  if (step >= 1e-4 && largestMagnitude < 1e7) {
    return withTypographicMinus(fixed(value, std::max(0, -stepExponent)));
  }
  if (std::fabs(value) < step * 1e-6) return "0";
  int exponent = static_cast<int>(std::floor(std::log10(largestMagnitude) + 1e-9));
  std::string mantissa =
      fixed(value / std::pow(10.0, exponent), std::clamp(exponent - stepExponent, 0, 12));
  return withTypographicMinus(mantissa) + "×10" + superscript(exponent);
}

std::string valueText(double value) {
  double magnitude = std::fabs(value);
  if (value == 0 || (magnitude >= 1e-4 && magnitude < 1e7)) {
    int decimals = magnitude >= 0.1 || value == 0
                       ? 2
                       : 2 - static_cast<int>(std::floor(std::log10(magnitude)));
    return withTypographicMinus(fixed(value, decimals));
  }
  int exponent = static_cast<int>(std::floor(std::log10(magnitude)));
  double mantissa = value / std::pow(10.0, exponent);
  if (std::fabs(mantissa) >= 9.9995) {  // would print as 10.000
    mantissa /= 10;
    ++exponent;
  }
  return withTypographicMinus(fixed(mantissa, 3)) + "×10" + superscript(exponent);
}

std::string decadeLabel(int exponent) { return "10" + superscript(exponent); }

}  // namespace orowan::pictures
