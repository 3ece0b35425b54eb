// The shortest text that reads back to the same float or double, as
// std::to_chars(first, last, value) writes it: the fewest significant
// digits that round-trip (the nearer candidate when two would, the even
// one on a tie), in fixed or scientific notation, whichever is shorter
// (fixed on a tie); "inf", "-inf", "nan", "-nan", "0", "-0".
//
// The native build calls std::to_chars. The WebAssembly build's C++
// library (libc++ 13) has no floating-point to_chars, and nothing packaged
// for that library provides one; there the digits come from the exact
// free-format digit generation below (Steele and White's, as Burger and
// Dybvig state it): the value and the halfway points to its neighbours as
// exact integer ratios, one digit at a time until a digit both ends the
// text and reads back. The integers are 128 bits wide for the floats the
// analysis meets and an exact big integer otherwise.
// tests/passes/shortest_chars_test.cpp compares it with std::to_chars.
#pragma once

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <type_traits>

namespace orowan::passes {

namespace shortest {

// A decimal: `digits` (no leading zero) times 10^(exponent - count + 1).
struct Decimal {
  std::uint64_t digits = 0;
  int count = 0;
  int exponent = 0;
};

// ---- exact integers: a 128-bit one and a big one, with the same operations

struct Wide128 {
  unsigned __int128 v = 0;
  static Wide128 of(std::uint64_t x) { return {x}; }
  void shiftLeft(int bits) { v <<= bits; }
  void multiply(std::uint32_t m) { v *= m; }
  void add(const Wide128& b) { v += b.v; }
  void subtract(const Wide128& b) { v -= b.v; }  // b <= *this
  friend int compare(const Wide128& a, const Wide128& b) { return a.v < b.v ? -1 : a.v > b.v ? 1 : 0; }
};

// An unsigned integer of up to 1,280 bits (a double's ratios need about 1,140).
struct BigInteger {
  static constexpr int kLimbs = 40;
  std::uint32_t limb[kLimbs] = {};  // least significant first
  int size = 0;                     // limbs in use; the top one non-zero

  static BigInteger of(std::uint64_t x) {
    BigInteger b;
    b.limb[0] = static_cast<std::uint32_t>(x), b.limb[1] = static_cast<std::uint32_t>(x >> 32);
    b.size = b.limb[1] != 0 ? 2 : b.limb[0] != 0 ? 1 : 0;
    return b;
  }
  void shiftLeft(int bits) {
    const int whole = bits / 32, part = bits % 32;
    if (size == 0) return;
    std::uint32_t top = part == 0 ? 0 : limb[size - 1] >> (32 - part);
    for (int i = size - 1; i >= 0; --i) {
      const std::uint32_t below = part == 0 || i == 0 ? 0 : limb[i - 1] >> (32 - part);
      limb[i + whole] = (part == 0 ? limb[i] : limb[i] << part) | below;
    }
    for (int i = 0; i < whole; ++i) limb[i] = 0;
    size += whole;
    if (top != 0) limb[size++] = top;
  }
  void multiply(std::uint32_t m) {
    std::uint64_t carry = 0;
    for (int i = 0; i < size; ++i) {
      const std::uint64_t p = std::uint64_t{limb[i]} * m + carry;
      limb[i] = static_cast<std::uint32_t>(p), carry = p >> 32;
    }
    if (carry != 0) limb[size++] = static_cast<std::uint32_t>(carry);
  }
  void add(const BigInteger& b) {
    const int n = size > b.size ? size : b.size;
    std::uint64_t carry = 0;
    for (int i = 0; i < n; ++i) {
      const std::uint64_t s = std::uint64_t{limb[i]} + b.limb[i] + carry;
      limb[i] = static_cast<std::uint32_t>(s), carry = s >> 32;
    }
    size = n;
    if (carry != 0) limb[size++] = 1;
  }
  void subtract(const BigInteger& b) {  // b <= *this
    std::int64_t borrow = 0;
    for (int i = 0; i < size; ++i) {
      const std::int64_t d = std::int64_t{limb[i]} - b.limb[i] - borrow;
      limb[i] = static_cast<std::uint32_t>(d), borrow = d < 0;
    }
    while (size > 0 && limb[size - 1] == 0) --size;
  }
  friend int compare(const BigInteger& a, const BigInteger& b) {
    if (a.size != b.size) return a.size < b.size ? -1 : 1;
    for (int i = a.size - 1; i >= 0; --i)
      if (a.limb[i] != b.limb[i]) return a.limb[i] < b.limb[i] ? -1 : 1;
    return 0;
  }
};

template <class N>
void multiplyByPowerOfTen(N& n, int power) {
  for (; power >= 9; power -= 9) n.multiply(1000000000u);
  static constexpr std::uint32_t kSmall[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};
  if (power > 0) n.multiply(kSmall[power]);
}

// ---- the digits

// A positive finite value as mantissa * 2^exponent, and what the rounding
// interval around it is: its halfway points to the neighbours, the lower
// one nearer when the mantissa is a power of two above the smallest
// exponent, both included when the mantissa is even (a tie reads back to
// the even one).
struct Binary {
  std::uint64_t mantissa;
  int exponent;
  bool lowerCloser;
  bool boundsIncluded;
};

template <class T>
Binary binaryOf(T value) {
  using Bits = std::conditional_t<std::is_same_v<T, float>, std::uint32_t, std::uint64_t>;
  constexpr int kFraction = std::numeric_limits<T>::digits - 1;
  constexpr int kBias = std::numeric_limits<T>::max_exponent - 1;
  const Bits bits = std::bit_cast<Bits>(value);
  const std::uint64_t fraction = bits & ((Bits{1} << kFraction) - 1);
  const int biased = static_cast<int>(bits >> kFraction);
  Binary b;
  if (biased == 0) {
    b.mantissa = fraction, b.exponent = 1 - kBias - kFraction, b.lowerCloser = false;
  } else {
    b.mantissa = fraction | (std::uint64_t{1} << kFraction);
    b.exponent = biased - kBias - kFraction;
    b.lowerCloser = fraction == 0 && biased > 1;
  }
  b.boundsIncluded = b.mantissa % 2 == 0;
  return b;
}

// The shortest decimal of `b` by digit generation over integers N: the
// value is r / s, its halfway points (r - low) / s and (r + high) / s.
template <class N>
Decimal generateDigits(const Binary& b, int estimate) {
  N r = N::of(b.mantissa), s = N::of(1), low = N::of(1), high = N::of(1);
  // Everything doubled, and doubled again when the lower gap is half the upper.
  const int extra = b.lowerCloser ? 2 : 1;
  r.shiftLeft(extra);
  s.shiftLeft(extra);
  if (b.lowerCloser) high.shiftLeft(1);
  if (b.exponent >= 0) {
    r.shiftLeft(b.exponent), low.shiftLeft(b.exponent), high.shiftLeft(b.exponent);
  } else {
    s.shiftLeft(-b.exponent);
  }
  // Scale so that the first digit is the tenths of r / s: 10^estimate.
  if (estimate >= 0) {
    multiplyByPowerOfTen(s, estimate);
  } else {
    multiplyByPowerOfTen(r, -estimate), multiplyByPowerOfTen(low, -estimate), multiplyByPowerOfTen(high, -estimate);
  }
  const auto reachesAbove = [&](const N& x) {  // r + high beyond s (or at it, bounds included)
    N sum = x;
    sum.add(high);
    const int c = compare(sum, s);
    return b.boundsIncluded ? c >= 0 : c > 0;
  };
  int k = estimate;
  if (reachesAbove(r)) {
    ++k;
  } else {
    r.multiply(10), low.multiply(10), high.multiply(10);
  }
  // Now r / s < 1 (or the text's first digit would carry): digits of r / s.
  Decimal d;
  d.exponent = k - 1;
  for (;;) {
    int digit = 0;
    while (compare(r, s) >= 0) r.subtract(s), ++digit;
    const int lowCompare = compare(r, low);
    const bool endsLow = b.boundsIncluded ? lowCompare <= 0 : lowCompare < 0;
    const bool endsHigh = reachesAbove(r);
    if (!endsLow && !endsHigh) {
      d.digits = d.digits * 10 + static_cast<std::uint64_t>(digit), ++d.count;
      r.multiply(10), low.multiply(10), high.multiply(10);
      continue;
    }
    if (endsLow && endsHigh) {  // both read back: the nearer, the even on a tie
      N twice = r;
      twice.shiftLeft(1);
      const int c = compare(twice, s);
      if (c > 0 || (c == 0 && digit % 2 == 1)) ++digit;
    } else if (endsHigh) {
      ++digit;
    }
    // Never 10: a 9 rounded up would have been in the interval one digit
    // earlier already, and the first digit is below 10 by the scaling.
    d.digits = d.digits * 10 + static_cast<std::uint64_t>(digit), ++d.count;
    return d;
  }
}

// floor(log10(value)) or one less: the digit generation corrects it.
inline int decimalExponentEstimate(const Binary& b) {
  const int bits = 64 - std::countl_zero(b.mantissa) + b.exponent;  // value in [2^(bits-1), 2^bits)
  return static_cast<int>(std::ceil((bits - 1) * 0.30102999566398120 - 1e-10));
}

// The shortest decimal of a positive finite value: 128-bit integers when
// the ratios fit (a float between about 1e-11 and 1e18), a big integer
// otherwise.
template <class T>
Decimal shortestDecimal(T value) {
  const Binary b = binaryOf(value);
  const int estimate = decimalExponentEstimate(b);
  if (std::is_same_v<T, float> && b.exponent >= -60 && b.exponent <= 36) return generateDigits<Wide128>(b, estimate);
  return generateDigits<BigInteger>(b, estimate);
}

// Drops trailing zero digits (a decimal of 1 digit keeps its one).
inline Decimal trimmed(Decimal d) {
  while (d.count > 1 && d.digits % 10 == 0) d.digits /= 10, --d.count;
  return d;
}

// ---- the text

// The digits of `d` as text, most significant first.
inline int digitText(const Decimal& d, char* out) {
  char reversed[24];
  int n = 0;
  for (std::uint64_t v = d.digits; n < d.count; v /= 10) reversed[n++] = static_cast<char>('0' + v % 10);
  for (int i = 0; i < n; ++i) out[i] = reversed[n - 1 - i];
  return n;
}

// An unsigned integer in decimal.
inline int integerText(std::uint64_t v, char* out) {
  return static_cast<int>(std::to_chars(out, out + 24, v).ptr - out);
}

// "d.ddde+XX": the scientific form.
inline int scientificText(const Decimal& d, char* out) {
  char digits[24] = {};
  const int n = digitText(d, digits);
  int k = 0;
  out[k++] = digits[0];
  if (n > 1) {
    out[k++] = '.';
    for (int i = 1; i < n; ++i) out[k++] = digits[i];
  }
  out[k++] = 'e';
  out[k++] = d.exponent < 0 ? '-' : '+';
  const int magnitude = d.exponent < 0 ? -d.exponent : d.exponent;
  if (magnitude < 10) out[k++] = '0';
  return k + integerText(static_cast<std::uint64_t>(magnitude), out + k);
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
    // std::to_chars writes it (as many characters as with zeros). Its value
    // is then a whole number.
    if (exact < 18446744073709551616.0) return integerText(static_cast<std::uint64_t>(exact), out);
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

// std::to_chars(first, last, value) for a float or a double, and for an
// integer (which every C++ library has).
template <class T>
inline std::to_chars_result toShortestChars(char* first, char* last, T value) {
#ifdef __EMSCRIPTEN__
  if constexpr (std::is_floating_point_v<T>) return shortest::shortestChars(first, last, value);
  else return std::to_chars(first, last, value);
#else
  return std::to_chars(first, last, value);
#endif
}

}  // namespace orowan::passes
