// Field texts of the record writer: Fw.d for single-precision reals and
// Iw.m for 32-bit integers, exact and allocation-free.
#pragma once

#include <cstdint>

namespace orowan::console {

// The widest Fw.d or Iw field a list may hold.
constexpr int kMaxFieldWidth = 255;

// The Fw.d text of x (1 <= w <= kMaxFieldWidth, d >= 0) without leading
// blanks: |x| at its exact value rounded half away from zero to d places,
// but to no more than 7 significant digits; no "0" before the point of a
// value below 1; "1#INF", "1#IND" or "1#QNAN" padded with "." for infinity
// and NaN. Returns its length, or -1 when it does not fit in w.
int fixedText(float x, int w, int d, char* text);

// The Iw.m text of v (1 <= w <= kMaxFieldWidth): at least m digits, a "-"
// when negative. Returns its length, or -1 when it does not fit in w.
int integerText(std::int32_t v, int w, int m, char* text);

// The field of a value that does not fit: w asterisks; returns w.
int fillAsterisks(int w, char* out);

// Right-justifies a text of `length` bytes in exactly w bytes of `out`;
// a length of -1 fills the field with asterisks.
void justify(const char* text, int length, int w, char* out);

// Whole fields: exactly w bytes to `out` (w asterisks when the value does
// not fit or w, d, m are out of range); nothing for w <= 0.
void formatFixed(float x, int w, int d, char* out);
void formatInteger(std::int32_t v, int w, int m, char* out);

}  // namespace orowan::console
