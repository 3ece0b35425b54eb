// The shortest-text formatter of the WebAssembly build, run natively
// against std::to_chars, whose text it must give for every value: every
// float of whole binades (both integer widths of the digit generation and
// the edges between them), values grouped by what makes them hard (powers
// of ten and their neighbours, powers of two, where the gap below is half
// the gap above, the ends of the ranges, integers at the edge of fixed
// notation), and random bit patterns of both types.
#include "passes/shortest_chars.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

using orowan::passes::shortest::shortestChars;

template <class T>
std::string ours(T value) {
  char buffer[400];
  return std::string(buffer, shortestChars(buffer, buffer + sizeof buffer, value).ptr);
}

template <class T>
std::string library(T value) {
  char buffer[400];
  return std::string(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
}

// Counts the values written otherwise than the library writes them; the
// first few are reported.
template <class T>
struct Mismatches {
  int count = 0;
  void check(T value) {
    const std::string expected = library(value), got = ours(value);
    if (got != expected && ++count <= 5) ADD_FAILURE() << expected << " written " << got;
  }
};

// A float from its biased exponent and fraction bits.
float floatOf(std::uint32_t biased, std::uint32_t fraction) {
  return std::bit_cast<float>(biased << 23 | fraction);
}

// Every float of a binade, or every `stride`-th: the subnormals, 2^-61 and
// 2^-60 (the change from big to 128-bit integers), [1, 2), [128, 256)
// (the analysis's values), 2^59 and 2^60 (the change back), [2^23, 2^24)
// (where floats are the integers) and the largest binade.
TEST(ShortestChars, EveryFloatOfBinades) {
  struct Binade {
    const char* what;
    std::uint32_t biased;
    std::uint32_t stride;
  };
  const Binade binades[] = {
      {"subnormals", 0, 7},         {"2^-38 (mantissa exponent -61)", 89, 7},
      {"2^-37 (mantissa exponent -60)", 90, 1}, {"[1, 2)", 127, 1},
      {"[128, 256)", 134, 1},       {"[2^23, 2^24)", 150, 3},
      {"2^59 (mantissa exponent 36)", 186, 1}, {"2^60 (mantissa exponent 37)", 187, 7},
      {"the largest", 254, 7},
  };
  for (const Binade& b : binades) {
    SCOPED_TRACE(b.what);
    Mismatches<float> wrong;
    for (std::uint32_t fraction = 0; fraction < (1u << 23); fraction += b.stride) {
      wrong.check(floatOf(b.biased, fraction));
      wrong.check(-floatOf(b.biased, fraction));
    }
    EXPECT_EQ(wrong.count, 0);
  }
}

// The values next to x: x itself and its neighbours, `reach` either way.
template <class T>
std::vector<T> around(T x, int reach) {
  std::vector<T> values{x};
  T below = x, above = x;
  for (int i = 0; i < reach; ++i) {
    below = std::nextafter(below, T(0));
    above = std::nextafter(above, std::numeric_limits<T>::infinity());
    values.push_back(below), values.push_back(above);
  }
  return values;
}

template <class T>
void checkProperties() {
  using Limits = std::numeric_limits<T>;
  struct Property {
    const char* what;
    std::vector<T> values;
  };
  std::vector<Property> properties(5);
  properties[0].what = "powers of ten and their neighbours";
  for (int k = Limits::min_exponent10 - 8; k <= Limits::max_exponent10; ++k) {
    const T power = static_cast<T>(std::pow(10.0L, k));
    if (power > 0 && std::isfinite(power))
      for (T v : around(power, 3)) properties[0].values.push_back(v);
  }
  properties[1].what = "powers of two (the gap below half the gap above) and their neighbours";
  for (int k = Limits::min_exponent - Limits::digits; k < Limits::max_exponent; ++k)
    for (T v : around(std::ldexp(T(1), k), 2)) properties[1].values.push_back(v);
  properties[2].what = "the ends of the ranges";
  properties[2].values = {Limits::denorm_min(), Limits::min(), std::nextafter(Limits::min(), T(0)), Limits::max(),
                          std::nextafter(Limits::max(), T(0)), Limits::epsilon(), T(1) - Limits::epsilon() / 2};
  properties[3].what = "integers where fixed and scientific notation meet";
  for (int digits = 1; digits <= Limits::max_digits10 + 6; ++digits) {
    const T power = static_cast<T>(std::pow(10.0L, digits));
    for (T v : around(power, 2)) properties[3].values.push_back(v);
    properties[3].values.push_back(static_cast<T>(std::pow(10.0L, digits) * 1.234567890123456789L));
    properties[3].values.push_back(static_cast<T>(std::pow(10.0L, digits) - 1));
  }
  properties[4].what = "decimals that are ties between two texts of one length";
  for (int n = 1; n < 2000; ++n) {
    // n + 1/2 and n / 2^k lie halfway between decimals of few digits.
    properties[4].values.push_back(static_cast<T>(n + 0.5));
    properties[4].values.push_back(std::ldexp(static_cast<T>(n), -(n % 40)));
    properties[4].values.push_back(static_cast<T>(n * 0.05));
  }
  for (const Property& p : properties) {
    SCOPED_TRACE(p.what);
    Mismatches<T> wrong;
    for (T v : p.values) wrong.check(v), wrong.check(-v);
    EXPECT_EQ(wrong.count, 0);
  }
}

TEST(ShortestChars, FloatsByProperty) { checkProperties<float>(); }
TEST(ShortestChars, DoublesByProperty) { checkProperties<double>(); }

// Values at the edges of the two notations and of the types.
TEST(ShortestChars, EdgeValuesAsTheLibraryWritesThem) {
  const float floats[] = {185.4864f, 0.1f, 1e-45f, 1.17549435e-38f, 3.4028235e38f, 123456792.0f, 1e10f,
                          1e-5f, 1e-4f, 100.0f, 0.0f, -0.0f, -2.5f, 16777216.0f, 9.999999e-5f,
                          std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity(),
                          std::numeric_limits<float>::quiet_NaN()};
  for (float f : floats) EXPECT_EQ(ours(f), library(f)) << library(f);
  const double doubles[] = {0.1, 5e-324, 1.7976931348623157e308, 1e23, 9007199254740993.0, 1e-7, 123.456, -0.0,
                            1e21, 1.2345678901234567e21, 123456789012345680000.0};
  for (double d : doubles) EXPECT_EQ(ours(d), library(d)) << library(d);
}

// Random bit patterns: every exponent, both signs, denormals and all.
TEST(ShortestChars, RandomValuesAsTheLibraryWritesThem) {
  std::mt19937_64 random(20261209);
  Mismatches<float> wrongFloats;
  Mismatches<double> wrongDoubles;
  for (int i = 0; i < 300000; ++i) {
    wrongFloats.check(std::bit_cast<float>(static_cast<std::uint32_t>(random())));
    wrongDoubles.check(std::bit_cast<double>(random()));
  }
  EXPECT_EQ(wrongFloats.count, 0);
  EXPECT_EQ(wrongDoubles.count, 0);
}

TEST(ShortestChars, ShortBufferIsRefused) {
  char buffer[3];
  EXPECT_EQ(shortestChars(buffer, buffer + sizeof buffer, 185.4864f).ec, std::errc::value_too_large);
}

}  // namespace
