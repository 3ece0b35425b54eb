// The checked arithmetic of the build without traps (analysis/checked_wide.h),
// here on its own in the native build: each operation's fault is the one
// IEEE 754 flags for it and the trapped build raises (invalid, division by
// zero, overflow), none where IEEE raises none of the three.
#include "analysis/checked_wide.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using orowan::Wide;

struct FaultSeen {
  int number;
};

[[noreturn]] void throwFault(int number, const char*) { throw FaultSeen{number}; }

// The fault number an operation raises, or 0.
template <class Operation>
int faultOf(Operation operation) {
  orowan::setFaultHandler(throwFault);
  int number = 0;
  try {
    operation();
  } catch (const FaultSeen& fault) {
    number = fault.number;
  }
  orowan::setFaultHandler(nullptr);
  return number;
}

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kMax = std::numeric_limits<double>::max();

TEST(CheckedWide, EachOperationRaisesTheFaultItsTrapWould) {
  struct Case {
    char op;
    double a, b;
    int fault;
  };
  const Case cases[] = {
      {'/', 0.0, 0.0, orowan::kInvalidOperation}, {'/', 1.0, 0.0, orowan::kDivideByZero},
      {'/', -1.0, -0.0, orowan::kDivideByZero},   {'/', kInf, 0.0, 0},  // inf / 0: no flag
      {'/', kInf, kInf, orowan::kInvalidOperation}, {'/', kMax, 0.5, orowan::kOverflow},
      {'/', 1.0, kInf, 0},                          {'/', kNaN, 0.0, 0},
      {'-', kInf, kInf, orowan::kInvalidOperation}, {'+', kInf, -kInf, orowan::kInvalidOperation},
      {'+', kMax, kMax, orowan::kOverflow},         {'+', kInf, 1.0, 0},
      {'*', 0.0, kInf, orowan::kInvalidOperation},  {'*', kMax, 2.0, orowan::kOverflow},
      {'*', kNaN, 2.0, 0},                          {'*', 1e-300, 1e-300, 0},  // underflow: not trapped
      {'-', -kMax, kMax, orowan::kOverflow},        {'-', 3.0, 2.0, 0},
      {'<', kNaN, 1.0, orowan::kInvalidOperation},  {'<', 1.0, 2.0, 0},
      {'=', kNaN, 1.0, 0},  // equality is a quiet comparison
  };
  for (const Case& c : cases) {
    const int fault = faultOf([&] {
      const Wide a = c.a, b = c.b;
      switch (c.op) {
        case '+': (void)(a + b); break;
        case '-': (void)(a - b); break;
        case '*': (void)(a * b); break;
        case '/': (void)(a / b); break;
        case '<': (void)(a < b); break;
        default: (void)(a == b); break;
      }
    });
    EXPECT_EQ(fault, c.fault) << c.a << " " << c.op << " " << c.b;
  }
}

// A plain number on either side is checked as a Wide is.
TEST(CheckedWide, MixedOperandsAreChecked) {
  EXPECT_EQ(faultOf([] { (void)(1.0 / Wide(0.0)); }), orowan::kDivideByZero);
  EXPECT_EQ(faultOf([] { (void)(Wide(kMax) * 2); }), orowan::kOverflow);
  EXPECT_EQ(faultOf([] { (void)(0.5f < Wide(kNaN)); }), orowan::kInvalidOperation);
}

// Rounding to single precision: a finite double beyond the single range
// overflows; the largest single, infinity and NaN do not.
TEST(CheckedWide, StoreToSingleOverflows) {
  const struct {
    double value;
    int fault;
  } cases[] = {{3.4028234663852886e38, 0}, {3.5e38, orowan::kOverflow}, {-1e300, orowan::kOverflow},
               {kInf, 0}, {kNaN, 0}, {0x1.fffffefffffffp127, 0}};  // just below the edge rounds down
  for (const auto& c : cases) EXPECT_EQ(faultOf([&] { (void)orowan::toSingle(c.value); }), c.fault) << c.value;
}

}  // namespace
