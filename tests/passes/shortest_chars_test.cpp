// The shortest-text formatter of the WebAssembly build, run natively
// against std::to_chars, whose text it must give for every value.
#include "passes/shortest_chars.h"

#include <gtest/gtest.h>

#include <bit>
#include <limits>
#include <random>
#include <string>

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

// Values at the edges of the two notations and of the types.
TEST(ShortestChars, EdgeValuesAsTheLibraryWritesThem) {
  const float floats[] = {185.4864f, 0.1f, 1e-45f, 1.17549435e-38f, 3.4028235e38f, 123456792.0f, 1e10f,
                          1e-5f, 1e-4f, 100.0f, 0.0f, -0.0f, -2.5f, 16777216.0f, 9.999999e-5f,
                          std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity(),
                          std::numeric_limits<float>::quiet_NaN()};
  for (float f : floats) EXPECT_EQ(ours(f), library(f)) << library(f);
  const double doubles[] = {0.1, 5e-324, 1.7976931348623157e308, 1e23, 9007199254740993.0, 1e-7, 123.456, -0.0};
  for (double d : doubles) EXPECT_EQ(ours(d), library(d)) << library(d);
}

// Random bit patterns: every exponent, both signs, denormals and all.
TEST(ShortestChars, RandomValuesAsTheLibraryWritesThem) {
  std::mt19937_64 random(20261209);
  int wrongFloats = 0, wrongDoubles = 0;
  for (int i = 0; i < 300000; ++i) {
    const float f = std::bit_cast<float>(static_cast<std::uint32_t>(random()));
    if (ours(f) != library(f) && ++wrongFloats < 5) ADD_FAILURE() << library(f) << " written " << ours(f);
    const double d = std::bit_cast<double>(random());
    if (ours(d) != library(d) && ++wrongDoubles < 5) ADD_FAILURE() << library(d) << " written " << ours(d);
  }
  EXPECT_EQ(wrongFloats, 0);
  EXPECT_EQ(wrongDoubles, 0);
}

TEST(ShortestChars, ShortBufferIsRefused) {
  char buffer[3];
  EXPECT_EQ(shortestChars(buffer, buffer + sizeof buffer, 185.4864f).ec, std::errc::value_too_large);
}

}  // namespace
