// The shortest text that reads back to the same float or double, as
// std::to_chars(first, last, value) writes it: the fewest significant
// digits that round-trip (the nearer candidate when two would), in fixed
// or scientific notation, whichever is shorter (fixed on a tie); "inf",
// "-inf", "nan", "-nan", "0", "-0".
//
// The native build calls std::to_chars. The WebAssembly build's C++
// library (libc++ 13) has no floating-point to_chars; there the text is
// found with the C library's correctly rounded printf("%.*e") and
// strtod/strtof: the correctly rounded n-digit decimal, or a neighbour of
// it, for the fewest n digits with one that reads back to the value
// (tests/passes/shortest_chars_test.cpp compares it with std::to_chars).
#pragma once

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace orowan::passes {

namespace shortest {

// A decimal: `digits` (no leading zero) times 10^(exponent - count + 1).
struct Decimal {
  std::uint64_t digits = 0;
  int count = 0;
  int exponent = 0;
};

// The digits of `d` as text, most significant first.
inline int digitText(const Decimal& d, char* out) {
  char reversed[24];
  int n = 0;
  for (std::uint64_t v = d.digits; n < d.count; v /= 10) reversed[n++] = static_cast<char>('0' + v % 10);
  for (int i = 0; i < n; ++i) out[i] = reversed[n - 1 - i];
  return n;
}

// "d.ddde+XX": printf's %e form, as strtod reads it.
inline int scientificText(const Decimal& d, char* out) {
  char digits[24] = {};
  const int n = digitText(d, digits);
  int k = 0;
  out[k++] = digits[0];
  if (n > 1) {
    out[k++] = '.';
    for (int i = 1; i < n; ++i) out[k++] = digits[i];
  }
  k += std::snprintf(out + k, 8, "e%c%02d", d.exponent < 0 ? '-' : '+', std::abs(d.exponent));
  return k;
}

// The fixed form of `exact`, whose shortest decimal is `d`: the digits with
// the point placed, zeros as needed.
inline int fixedText(const Decimal& d, double exact, char* out) {
  char digits[24] = {};
  const int n = digitText(d, digits);
  int k = 0;
  if (d.exponent < 0) {
    out[k++] = '0';
    out[k++] = '.';
    for (int i = 0; i < -d.exponent - 1; ++i) out[k++] = '0';
    for (int i = 0; i < n; ++i) out[k++] = digits[i];
  } else if (d.exponent >= n - 1) {
    // An integer beyond its shortest digits is written exactly, as
    // std::to_chars writes it (as many characters as with zeros).
    k = std::snprintf(out, 400, "%.0f", exact);
  } else {
    for (int i = 0; i < n; ++i) {
      out[k++] = digits[i];
      if (i == d.exponent) out[k++] = '.';
    }
  }
  return k;
}

template <class T>
T readBack(const char* text) {
  if constexpr (std::is_same_v<T, float>) return std::strtof(text, nullptr);
  else return std::strtod(text, nullptr);
}

// Whether `d` reads back to `value` (positive, finite).
template <class T>
bool roundTrips(const Decimal& d, T value) {
  char text[40];
  text[scientificText(d, text)] = '\0';
  return readBack<T>(text) == value;
}

// `d` moved by `step` (+1 or -1) in its last digit, its count kept.
inline Decimal neighbour(Decimal d, int step) {
  std::uint64_t power = 1;
  for (int i = 1; i < d.count; ++i) power *= 10;
  d.digits = step > 0 ? d.digits + 1 : d.digits - 1;
  if (d.digits == power * 10) d.digits /= 10, ++d.exponent;           // 99 + 1 = 100
  else if (d.digits < power && d.count > 1) d.digits = d.digits * 10 + 9, --d.exponent;  // 100 - 1 = 99.9
  return d;
}

// The n-digit decimal of a positive finite value that reads back to it:
// the correctly rounded one or a neighbour; false if none does.
template <class T>
bool decimalOf(T value, int n, Decimal& out) {
  char text[48];
  std::snprintf(text, sizeof text, "%.*e", n - 1, static_cast<double>(value));
  Decimal d;
  d.count = n;
  const char* p = text;
  for (; *p != 'e'; ++p)
    if (*p != '.') d.digits = d.digits * 10 + static_cast<std::uint64_t>(*p - '0');
  d.exponent = std::atoi(p + 1);
  if (roundTrips(d, value)) return out = d, true;
  for (int step : {-1, 1}) {
    const Decimal other = neighbour(d, step);
    if (other.digits != 0 && roundTrips(other, value)) return out = other, true;
  }
  return false;
}

// The shortest decimal of a positive finite value. A decimal of n digits
// that reads back gives one of n + 1 (a zero appended), so the fewest
// digits are found by bisection: four or five conversions, not up to nine.
template <class T>
Decimal shortestDecimal(T value) {
  int low = 1, high = std::numeric_limits<T>::max_digits10;  // max_digits10 always reads back
  Decimal found, d;
  decimalOf(value, high, found);
  while (low < high) {
    const int middle = (low + high) / 2;
    if (decimalOf(value, middle, d)) high = middle, found = d;
    else low = middle + 1;
  }
  return found;
}

// Drops trailing zero digits (a decimal of 1 digit keeps its one).
inline Decimal trimmed(Decimal d) {
  while (d.count > 1 && d.digits % 10 == 0) d.digits /= 10, --d.count;
  return d;
}

template <class T>
std::to_chars_result shortestChars(char* first, char* last, T value) {
  char text[400];  // a double's fixed form: up to 0. and 323 zeros before 17 digits
  int k = 0;
  if (std::signbit(value)) text[k++] = '-';
  if (std::isnan(value)) {
    std::memcpy(text + k, "nan", 3), k += 3;
  } else if (std::isinf(value)) {
    std::memcpy(text + k, "inf", 3), k += 3;
  } else if (value == 0) {
    text[k++] = '0';
  } else {
    const Decimal d = trimmed(shortestDecimal<T>(std::fabs(value)));
    char fixed[400], scientific[40];
    const int f = fixedText(d, std::fabs(static_cast<double>(value)), fixed), s = scientificText(d, scientific);
    std::memcpy(text + k, f <= s ? fixed : scientific, static_cast<std::size_t>(f <= s ? f : s));
    k += f <= s ? f : s;
  }
  if (last - first < k) return {last, std::errc::value_too_large};
  std::memcpy(first, text, static_cast<std::size_t>(k));
  return {first + k, std::errc{}};
}

}  // namespace shortest

// std::to_chars(first, last, value) for a float or a double.
template <class T>
inline std::to_chars_result toShortestChars(char* first, char* last, T value) {
#ifdef __EMSCRIPTEN__
  return shortest::shortestChars(first, last, value);
#else
  return std::to_chars(first, last, value);
#endif
}

}  // namespace orowan::passes
