// The build's floating-point options keep every rounding the code asks
// for: a double made from a single value stays that single value however
// the compiler arranges the stores. (GCC 12 at -O2 vectorised a pair of
// double(float(x)) stores into none at all, so two roll constants came
// through unrounded; the build turns that vectoriser off.)
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>

namespace {

double widened(double x) { return static_cast<double>(static_cast<float>(x)); }

struct Pair {
  double first = 0, second = 0;
};

// Each shape in its own function, not inlined into the test, so that the
// compiler sees only the stores.
[[gnu::noinline]] Pair assigned(double a, double b) {
  Pair p;
  p = {widened(a), widened(b)};
  return p;
}
[[gnu::noinline]] Pair byMember(double a, double b) {
  Pair p;
  p.first = widened(a);
  p.second = widened(b);
  return p;
}
[[gnu::noinline]] Pair returned(double a, double b) { return {widened(a), widened(b)}; }

TEST(StoredRounding, APairOfWidenedSinglesIsRoundedToSingle) {
  struct Case {
    double a, b;
  };
  const Case cases[] = {{6000, 0.32}, {0.1, 0.3}, {2.35, 2.183}, {1e-3, 1e30}};
  for (const auto make : {assigned, byMember, returned}) {
    for (const Case& c : cases) {
      const Pair p = make(c.a, c.b);
      EXPECT_EQ(std::bit_cast<std::uint64_t>(p.first), std::bit_cast<std::uint64_t>(double(float(c.a)))) << c.a;
      EXPECT_EQ(std::bit_cast<std::uint64_t>(p.second), std::bit_cast<std::uint64_t>(double(float(c.b)))) << c.b;
    }
  }
}

}  // namespace
