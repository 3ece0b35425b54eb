// Conversion of value texts. Faults come from left to right, as the text
// is read; a function that meets one returns its number, 0 otherwise.
#include "console/value_text.h"

#include <cfenv>
#include <cmath>
#include <cstdlib>

#include "console/io_errors.h"
#include "console/limits.h"

namespace orowan::console {
namespace {

// The largest single value, exactly, as a double.
constexpr double kLargestSingle = 3.4028234663852886e38;

bool isDecimalDigit(char c) { return c >= '0' && c <= '9'; }

// Numeric value of a digit or letter, 36 for any other byte.
int digitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
  if (c >= 'a' && c <= 'z') return c - 'a' + 10;
  return 36;
}

// The radix base of text[from, from + count) (decimal digits; none means
// 16), which must be 2 to 36. The sum is capped, so it cannot wrap.
int radixBase(const char* text, int from, int count, int& base) {
  base = 16;
  if (count == 0) return 0;
  base = 0;
  for (int i = from; i < from + count; ++i) {
    base = base * 10 + (text[i] - '0');
    if (base > 36) return kBadBase;
  }
  return base < 2 ? kBadBase : 0;
}

// Magnitude of the digits text[from, length) in `base`, capped at 2^32 so
// that the arithmetic never overflows; a bad digit is 6101, a "#" 6302,
// no digits at all 6101.
int radixMagnitude(const char* text, int from, int length, int base, std::uint64_t& magnitude) {
  constexpr std::uint64_t kCap = std::uint64_t{1} << 32;
  magnitude = 0;
  for (int i = from; i < length; ++i) {
    if (text[i] == '#') return kSecondHash;
    const int digit = digitValue(text[i]);
    if (digit >= base) return kIntegerForm;
    magnitude = magnitude * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
    if (magnitude > kCap) magnitude = kCap;
  }
  return from >= length ? kIntegerForm : 0;
}

// A REAL value text made fit for strtod: the exponent letter becomes "e"
// and a sign-only exponent gets its "e". One byte longer at most.
struct RealCopy {
  char text[kMaxValueText + 2] = {};
  int length = 0;
  bool nonZero = false;  // a mantissa digit other than 0
  void put(char c) {
    if (length < kMaxValueText + 1) text[length++] = c;
  }
};

// Copies the decimal digits of text[i, length) from `i` on; returns the
// index after them.
int copyDigits(const char* text, int i, int length, RealCopy& copy) {
  while (i < length && isDecimalDigit(text[i])) copy.put(text[i++]);
  return i;
}

// Copies [sign] mantissa of `text` and sets `end` after it; 6102 when the
// mantissa has no digit.
int copyMantissa(const char* text, int length, RealCopy& copy, int& end) {
  int i = 0;
  if (length > 0 && (text[0] == '+' || text[0] == '-')) copy.put(text[i++]);
  int digits = 0;
  bool point = false;
  for (; i < length; ++i) {
    const char c = text[i];
    if (isDecimalDigit(c)) {
      ++digits;
      copy.nonZero = copy.nonZero || c != '0';
    } else if (c == '.' && !point) {
      point = true;
    } else {
      break;
    }
    copy.put(c);
  }
  end = i;
  return digits == 0 ? kRealNoDigits : 0;
}

// Copies the exponent at text[i] (E/e/D/d [sign] digits, or sign digits);
// returns the index after it, or `i` itself when no exponent stands there.
int copyExponent(const char* text, int i, int length, RealCopy& copy) {
  const char c = text[i];
  const bool letter = c == 'E' || c == 'e' || c == 'D' || c == 'd';
  if (!letter && c != '+' && c != '-') return i;
  int j = i + (letter ? 1 : 0);
  const int signAt = j;
  if (j < length && (text[j] == '+' || text[j] == '-')) ++j;
  if (j >= length || !isDecimalDigit(text[j])) return i;  // no exponent digits
  copy.put('e');
  if (j > signAt) copy.put(text[signAt]);
  return copyDigits(text, j, length, copy);
}

// The nearest double of the copy. glibc's strtod raises overflow and
// underflow for out-of-range texts, so the traps are held around it.
double nearestDouble(RealCopy& copy) {
  copy.text[copy.length] = '\0';  // length <= kMaxValueText + 1, inside
  std::fenv_t saved;
  std::feholdexcept(&saved);
  const double d = std::strtod(copy.text, nullptr);
  std::fesetenv(&saved);
  return d;
}

// The double's range: a text with a non-zero digit that reads as infinity,
// zero or a denormal double is beyond it.
bool beyondDouble(const RealCopy& copy, double d) {
  const int kind = std::fpclassify(d);
  return copy.nonZero && (kind == FP_INFINITE || kind == FP_ZERO || kind == FP_SUBNORMAL);
}

}  // namespace

// The form first (6102 no digits, 6103 leftover), then the double range
// (6102), then the single range (6104), then rounding.
int readRealText(const char* text, int length, float& value) {
  RealCopy copy;
  int i = 0;
  if (const int fault = copyMantissa(text, length, copy, i)) return fault;
  if (i < length) i = copyExponent(text, i, length, copy);
  if (i < length) return kRealLeftover;
  const double d = nearestDouble(copy);
  if (beyondDouble(copy, d)) return kRealNoDigits;
  if (std::fabs(d) > kLargestSingle) return kRealRange;
  value = static_cast<float>(d);
  return 0;
}

// The range test (6100) comes after every test of the form.
int readIntegerText(const char* text, int length, std::int32_t& value) {
  int i = 0;
  const bool negative = length > 0 && text[0] == '-';
  if (length > 0 && (text[0] == '-' || text[0] == '+')) i = 1;
  int run = 0;
  while (i + run < length && isDecimalDigit(text[i + run])) ++run;
  int base = 10;
  if (i + run < length && text[i + run] == '#') {
    if (const int fault = radixBase(text, i, run, base)) return fault;
    i += run + 1;
  }
  std::uint64_t magnitude = 0;
  if (const int fault = radixMagnitude(text, i, length, base, magnitude)) return fault;
  const std::uint64_t limit = negative ? std::uint64_t{1} << 31 : (std::uint64_t{1} << 31) - 1;
  if (magnitude > limit) return kIntegerRange;
  const std::int64_t signedValue = static_cast<std::int64_t>(magnitude);
  value = static_cast<std::int32_t>(negative ? -signedValue : signedValue);
  return 0;
}

}  // namespace orowan::console
