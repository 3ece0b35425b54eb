// The Fw.d and Iw conversions of the record writer. They use integer
// arithmetic only, so they neither depend on the rounding mode nor raise a
// trapped floating-point fault, and they allocate nothing.
#include "console/fixed_format.h"

#include <cstring>

namespace orowan::console {
namespace {

constexpr int kSignificant = 7;        // digits an F field keeps at most
constexpr int kMaxIntegerDigits = 39;  // the largest float has 39 integer digits
// Integer digits, fraction digits up to place w-1, the digit after, a carry.
constexpr int kMaxDigits = kMaxIntegerDigits + kMaxFieldWidth + 2;
constexpr std::uint32_t kHiddenBit = 0x800000;
constexpr std::uint32_t kQuietBit = 0x400000;

// The fields of a single-precision value.
struct FloatParts {
  bool negative;
  int biased;               // biased exponent, 255 for infinity and NaN
  std::uint32_t fraction;   // the 23 stored fraction bits
};

FloatParts partsOf(float x) {
  std::uint32_t bits;
  std::memcpy(&bits, &x, sizeof bits);
  return {(bits >> 31) != 0, static_cast<int>((bits >> 23) & 0xFF), bits & 0x7FFFFF};
}

// Decimal digits of |x|. Digit i (a value 0 to 9) stands for
// 10^(intCount-1-i); every digit from `count` on is zero.
struct Digits {
  unsigned char at[kMaxDigits];
  int intCount = 0;  // digits before the point
  int count = 0;     // digits held
  int keep = 0;      // digits the rounding keeps
};

unsigned digitAt(const Digits& g, int i) { return i < g.count ? g.at[i] : 0; }

// Appends the digits of v without leading zeros (none for 0).
void appendDigits64(std::uint64_t v, Digits& g) {
  unsigned char reversed[20];
  int n = 0;
  for (; v != 0; v /= 10) reversed[n++] = static_cast<unsigned char>(v % 10);
  while (n > 0) g.at[g.count++] = reversed[--n];
}

// Appends the digits of v (< 2^128) without leading zeros: 19 digits at a
// time, so every division but the outer ones is on 64 bits.
void appendDigits128(unsigned __int128 v, Digits& g) {
  constexpr std::uint64_t kTen19 = 10000000000000000000ull;
  if ((v >> 64) == 0) {
    appendDigits64(static_cast<std::uint64_t>(v), g);
    return;
  }
  appendDigits128(v / kTen19, g);  // non-zero, since v >= 2^64 > 10^19
  std::uint64_t low = static_cast<std::uint64_t>(v % kTen19);
  for (int i = 18; i >= 0; --i, low /= 10) g.at[g.count + i] = static_cast<unsigned char>(low % 10);
  g.count += 19;
}

// Which fraction digits the rounding needs: places up to d, but no place
// beyond the seventh significant digit; and the digit after the last place.
struct FractionPlan {
  int places;    // the last kept fraction place (negative: an integer place)
  int need;      // fraction digits to generate
  bool leading;  // no significant digit seen yet
};

FractionPlan planFraction(int intCount, int d) {
  if (intCount == 0) return {d, d + 1, true};
  const int places = d < kSignificant - intCount ? d : kSignificant - intCount;
  return {places, places >= 0 ? places + 1 : 0, false};
}

// Notes fraction digit j (from 0): the first significant one, j+1 places
// after the point, fixes where the seventh significant digit falls.
void noteFractionDigit(FractionPlan& plan, int j, unsigned digit) {
  if (!plan.leading || digit == 0) return;
  plan.leading = false;
  if (j + kSignificant < plan.places) plan.places = j + kSignificant;
  plan.need = plan.places + 1;
}

// Fraction digits of f / 2^k for k <= 60 (f < 2^k): f * 10 stays below 2^64.
void fractionDigits64(std::uint64_t f, int k, Digits& g, FractionPlan& plan) {
  const std::uint64_t mask = (std::uint64_t{1} << k) - 1;
  for (int j = 0; j < plan.need && f != 0; ++j) {
    f *= 10;
    const unsigned digit = static_cast<unsigned>(f >> k);
    f &= mask;
    g.at[g.count++] = static_cast<unsigned char>(digit);
    noteFractionDigit(plan, j, digit);
  }
}

// Fraction digits of m / 2^k for 60 < k <= 149 (m < 2^24), in five 32-bit
// limbs: the value times 10 stays below 2^(k+4) <= 2^153.
void fractionDigitsWide(std::uint32_t m, int k, Digits& g, FractionPlan& plan) {
  constexpr int kLimbs = 5;
  std::uint32_t limb[kLimbs] = {m, 0, 0, 0, 0};
  const int top = k / 32;  // 1 to 4
  const int shift = k % 32;
  const std::uint32_t lowMask = shift == 0 ? 0u : ~0u >> (32 - shift);
  for (int j = 0; j < plan.need && (limb[0] | limb[1] | limb[2] | limb[3] | limb[4]) != 0; ++j) {
    std::uint64_t carry = 0;
    for (std::uint32_t& part : limb) {
      carry += std::uint64_t{part} * 10;
      part = static_cast<std::uint32_t>(carry);
      carry >>= 32;
    }
    std::uint64_t window = limb[top];
    if (top + 1 < kLimbs) window |= std::uint64_t{limb[top + 1]} << 32;
    const unsigned digit = static_cast<unsigned>(window >> shift);  // < 10
    limb[top] &= lowMask;
    if (top + 1 < kLimbs) limb[top + 1] = 0;
    g.at[g.count++] = static_cast<unsigned char>(digit);
    noteFractionDigit(plan, j, digit);
  }
}

// The exact digits of a finite |x| as far as an Fw.d field looks, with the
// number of digits it keeps. Requires d <= kMaxFieldWidth - 1.
void exactDigits(const FloatParts& v, int d, Digits& g) {
  const std::uint32_t m = v.biased != 0 ? v.fraction | kHiddenBit : v.fraction;
  const int e = v.biased != 0 ? v.biased - 150 : -149;  // |x| = m * 2^e
  g.count = 0;
  if (e >= 0) {  // an integer below 2^128
    appendDigits128(static_cast<unsigned __int128>(m) << e, g);
    g.intCount = g.count;
    g.keep = g.intCount + planFraction(g.intCount, d).places;
    return;
  }
  const int k = -e;
  appendDigits64(k < 24 ? m >> k : 0, g);
  g.intCount = g.count;
  FractionPlan plan = planFraction(g.intCount, d);
  if (k <= 60) {
    fractionDigits64(m & ((std::uint64_t{1} << k) - 1), k, g, plan);
  } else {
    fractionDigitsWide(m, k, g, plan);
  }
  g.keep = g.intCount + plan.places;
}

// Rounds half away from zero to `keep` digits. The digits are exact, so the
// first dropped digit alone decides.
void roundDigits(Digits& g) {
  const bool up = digitAt(g, g.keep) >= 5;
  for (int i = g.count; i < g.keep; ++i) g.at[i] = 0;
  g.count = g.keep;
  if (!up) return;
  int i = g.keep - 1;
  while (i >= 0 && g.at[i] == 9) g.at[i--] = 0;
  if (i >= 0) {
    ++g.at[i];
    return;
  }
  std::memmove(g.at + 1, g.at, static_cast<std::size_t>(g.keep));  // 9.99 -> 10.00
  g.at[0] = 1;
  ++g.intCount;
  ++g.keep;
  ++g.count;
}

// The text of a rounded finite value, without leading blanks: a "-" when
// negative and not zero, the integer digits (none for 0, but "0" for a
// zero F w.0), the point, d fraction digits; `digit(i)` gives digit i from
// the first integer digit on. Returns its length, or -1 when longer than w.
template <typename DigitAt>
int composeText(bool negative, bool zero, int intCount, int w, int d, DigitAt digit,
                char* text) {
  const bool sign = negative && !zero;
  const bool loneZero = intCount == 0 && d == 0;
  const int length = (sign ? 1 : 0) + (loneZero ? 1 : intCount) + 1 + d;
  if (length > w) return -1;
  char* p = text;
  if (sign) *p++ = '-';
  if (loneZero) *p++ = '0';
  for (int i = 0; i < intCount; ++i) *p++ = static_cast<char>('0' + digit(i));
  *p++ = '.';
  for (int j = 0; j < d; ++j) *p++ = static_cast<char>('0' + digit(intCount + j));
  return length;
}

// The text of the exactly rounded digits `g`.
int composeFixed(bool negative, const Digits& g, int w, int d, char* text) {
  bool zero = true;
  for (int i = 0; i < g.count; ++i) zero = zero && g.at[i] == 0;
  return composeText(negative, zero, g.intCount, w, d,
                     [&g](int i) { return digitAt(g, i); }, text);
}

// Infinity and NaN: the word, padded with "." or cut to exactly w bytes.
int composeWord(const FloatParts& v, int w, char* text) {
  const char* word = v.fraction == 0                         ? "1#INF"
                     : v.negative && v.fraction == kQuietBit ? "1#IND"
                                                             : "1#QNAN";
  const int n = static_cast<int>(std::strlen(word));
  for (int i = 0; i < w; ++i) text[i] = i < n ? word[i] : '.';
  return w;
}

constexpr std::uint64_t kPowersOfTen[kSignificant + 1] = {1,      10,      100,      1000,
                                                           10000,  100000,  1000000,  10000000};

// The usual case in one integer step: |x| = m / 2^k with 1 <= k <= 100 and
// fewer than 8 - d integer digits. The seven significant digits then reach
// past place d, so the rounding is at place d, and half away from zero of
// the exact value is N = (m 10^d + 2^(k-1)) / 2^k, exact in 128 bits
// (m 10^d < 2^48). Composes N's text into `text` and sets `length` like
// fixedText; false when the case does not apply.
bool quickFixedText(const FloatParts& v, int w, int d, char* text, int& length) {
  const int k = 150 - v.biased;  // |x| = m * 2^-k for a normal x
  if (v.biased == 0 || k < 1 || k > 100 || d > kSignificant) return false;
  const std::uint32_t m = v.fraction | kHiddenBit;
  int intCount = 0;
  for (std::uint32_t whole = k < 24 ? m >> k : 0; whole != 0; whole /= 10) ++intCount;
  if (intCount + d > kSignificant) return false;
  const unsigned __int128 scaled = static_cast<unsigned __int128>(m) * kPowersOfTen[d];
  const unsigned __int128 half = static_cast<unsigned __int128>(1) << (k - 1);
  std::uint64_t n = static_cast<std::uint64_t>((scaled + half) >> k);  // < 2^48
  unsigned char reversed[kMaxIntegerDigits];  // N's digits, the last first
  int count = 0;
  for (; n != 0; n /= 10) reversed[count++] = static_cast<unsigned char>(n % 10);
  const bool zero = count == 0;
  while (count < d) reversed[count++] = 0;  // the fraction's leading zeros
  const int last = count - 1;               // digit i is reversed[last - i]
  length = composeText(v.negative, zero, count - d, w, d,
                       [&](int i) { return reversed[last - i]; }, text);
  return true;
}

}  // namespace

int fixedText(float x, int w, int d, char* text) {
  const FloatParts v = partsOf(x);
  if (v.biased == 255) return composeWord(v, w, text);
  if (d + 1 > w) return -1;  // the point and d digits alone do not fit
  int length;
  if (quickFixedText(v, w, d, text, length)) return length;
  Digits g;
  exactDigits(v, d, g);
  roundDigits(g);
  return composeFixed(v.negative, g, w, d, text);
}

int integerText(std::int32_t v, int w, int m, char* text) {
  std::uint32_t magnitude = v < 0 ? 0u - static_cast<std::uint32_t>(v) : static_cast<std::uint32_t>(v);
  char reversed[10];
  int n = 0;
  for (; magnitude != 0; magnitude /= 10) reversed[n++] = static_cast<char>('0' + magnitude % 10);
  const int zeros = m > n ? m - n : 0;
  const int length = (v < 0 ? 1 : 0) + zeros + n;
  if (length > w) return -1;
  char* p = text;
  if (v < 0) *p++ = '-';
  for (int i = 0; i < zeros; ++i) *p++ = '0';
  while (n > 0) *p++ = reversed[--n];
  return length;
}

int fillAsterisks(int w, char* out) {
  std::memset(out, '*', static_cast<std::size_t>(w));
  return w;
}

void justify(const char* text, int length, int w, char* out) {
  if (length < 0) {
    fillAsterisks(w, out);
    return;
  }
  std::memset(out, ' ', static_cast<std::size_t>(w - length));
  std::memcpy(out + (w - length), text, static_cast<std::size_t>(length));
}

void formatFixed(float x, int w, int d, char* out) {
  if (w <= 0) return;
  char text[kMaxFieldWidth];
  const bool usable = w <= kMaxFieldWidth && d >= 0;
  justify(text, usable ? fixedText(x, w, d, text) : -1, w, out);
}

void formatInteger(std::int32_t v, int w, int m, char* out) {
  if (w <= 0) return;
  char text[kMaxFieldWidth];
  const bool usable = w <= kMaxFieldWidth && m >= 0;
  justify(text, usable ? integerText(v, w, m, text) : -1, w, out);
}

}  // namespace orowan::console
