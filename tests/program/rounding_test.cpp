// Single-precision rounding where the report shows it: inputs chosen so
// that a value held at the wrong precision, or rounded at the wrong moment,
// changes a printed digit or a stored bit. Each case runs the console
// program in-process and compares printed fields and stored bits.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cfenv>
#include <cfloat>
#include <csignal>
#include <cstdint>
#include <string>
#include <vector>

#include "analysis/record.h"
#include "test_support.h"

namespace {

using orowan::rec;

using testio::ProgramRun;
using testio::runProgram;

// The table rows (the 127-byte console lines of 128-byte records).
std::vector<std::string> rows(const std::string& out) {
  std::vector<std::string> result;
  std::size_t from = 0;
  for (std::size_t at; (at = out.find("\r\n", from)) != std::string::npos; from = at + 2)
    if (at - from == 127) result.push_back(out.substr(from, at - from));
  return result;
}

// Field at record positions first..first+7 of a row (shown at first - 2).
std::string field(const std::string& row, int first) { return row.substr(first - 2, 8); }

std::uint32_t bits(float v) { return std::bit_cast<std::uint32_t>(v); }

// RK is 1.15 held in single precision (1.14999997615814208984375) times
// the typed value, rounded once. For 4.5 that is 5.1749998927 -> float
// 5.17499971 -> "5.17"; the factor held in double would give 5.175 ->
// float 5.17500019 -> "5.18". Likewise 1.5 -> 1.72 (not 1.73) and 6.3 ->
// 7.24 (not 7.25): every one of the 80 rows shows it.
TEST(Rounding, YieldFactorHeldInSinglePrecision) {
  struct Case {
    const char* typed;
    float value;
    const char* shown;
  };
  const Case cases[] = {{"1.5", 1.5f, "    1.72"}, {"4.5", 4.5f, "    5.17"}, {"6.3", 6.3f, "    7.24"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    const ProgramRun run = runProgram(std::string("100\n2 1.5\n") + c.typed + "\n0 0\n0.1\n0\n");
    ASSERT_EQ(run.status, 0) << run.err;
    const std::vector<std::string> shown = rows(run.out);
    ASSERT_EQ(shown.size(), 80u);
    for (const std::string& row : shown) ASSERT_EQ(field(row, 105), c.shown);
    const float factor = 1.15f;
    EXPECT_EQ(bits(rec.RK.v), bits(static_cast<float>(double(c.value) * double(factor))));
  }
}

// The torque arm divides the torque before its rounding: R 300, H 4.44 ->
// 3.434, yield 15.2, friction 0.15 has moment sums giving G = 6.756912842
// (stored 6.756912708) and a force of 399.557251. With the unrounded G the
// arm is 8.4555006 and shows 8.456; with the stored G it would be
// 8.4554996 and show 8.455.
TEST(Rounding, TorqueArmFromTheUnroundedTorque) {
  const ProgramRun run = runProgram("300\n4.44 3.434\n15.2\n0 0\n0.15\n0\n");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("            A   8.456  (MM)"), std::string::npos);
  const double G = (double(rec.EXIT_MOMENT_SUM) + double(rec.ENTRY_MOMENT_SUM)) * 2.0 / 1000.0;
  EXPECT_EQ(bits(rec.G.v), bits(static_cast<float>(G)));
  EXPECT_EQ(bits(rec.TORQUE_ARM.v),
            bits(static_cast<float>(G * 1000.0 / (2.0 * double(rec.ROLLING_FORCE)))));
  EXPECT_NE(bits(rec.TORQUE_ARM.v),
            bits(static_cast<float>(double(rec.G) * 1000.0 / (2.0 * double(rec.ROLLING_FORCE)))));
}

// A of exactly 1 sticks. R 100, H 2 -> 1, yield 0.86956522 (RK = 1.0
// exactly: 0.86956522 x 1.15 rounds to 1), no back tension, front tension
// -0.214601815, friction 0.5. At the exit plane H = 1 and F = 0.214601815,
// which is c = 1 - PI/4 in single; b = -0.5/U = -1 and B = F/(H RK) + 1 =
// 1 + c, so A = (sqrt(4c(1 + c) + 1) - 1)/(2c) = ((2c + 1) - 1)/(2c) = 1,
// exact in double. The first exit row then shows SL/ST 2, A 1.00, W .785
// (PI/4) and TAU .50 (RK/2); with "A <= 1" it would slip.
TEST(Rounding, SlipTestAtAExactlyOne) {
  const ProgramRun run = runProgram("100\n2 1\n0.86956522\n0 -0.214601815\n0.5\n0\n");
  ASSERT_EQ(run.status, 0) << run.err;
  const std::vector<std::string> shown = rows(run.out);
  ASSERT_FALSE(shown.empty());
  EXPECT_EQ(field(shown[0], 26).substr(0, 6), "     2");
  EXPECT_EQ(field(shown[0], 113), "    1.00");
  EXPECT_EQ(field(shown[0], 121), "    .785");
  EXPECT_EQ(field(shown[0], 77), "     .50");
  EXPECT_EQ(rec.EXIT_SL_ST(1), 2);
}

// The contact angle's denominator takes H1 - H2 unrounded. For a reduction
// of more than half, H1 - H2 need not be a single value (8.5032 - 2.7663
// is not): with the rounded DH in its place the angle of R 316.7945 moves
// by a unit in the last place, and the exit march, which accumulates
// CONTACT_ANGLE/400 in single precision, takes 401 steps instead of 400
// (41 rows instead of 40).
TEST(Rounding, ContactAngleFromTheUnroundedReduction) {
  const ProgramRun run = runProgram("316.7945\n8.5032 2.7663\n20\n0 0\n0.1\n0\n");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(rows(run.out).size(), 80u);
  EXPECT_EQ(rec.EXIT_STEPS, 400);
  const double exact = std::atan(double(rec.XL) / (double(rec.R) - 0.5 * (double(rec.H1) - rec.H2)));
  EXPECT_EQ(bits(rec.CONTACT_ANGLE.v), bits(static_cast<float>(exact)));
}

// The mean roll pressure divides the sum of the two force sums, not the
// stored rolling force: for R 130.392151, 5.0203352 -> 3.33863425, yield
// 36.698597, friction 0.0786872804 the two differ in the last place
// (42.0465927 against 42.0465965).
TEST(Rounding, MeanPressureFromTheTwoSums) {
  const ProgramRun run =
      runProgram("130.392151\n5.0203352 3.33863425\n36.698597\n0 0\n0.0786872804\n0\n");
  ASSERT_EQ(run.status, 0) << run.err;
  const double sums = double(rec.EXIT_FORCE_SUM) + double(rec.ENTRY_FORCE_SUM);
  EXPECT_EQ(bits(rec.PM.v), bits(static_cast<float>(sums / double(rec.XL))));
  EXPECT_NE(bits(rec.PM.v), bits(static_cast<float>(double(rec.ROLLING_FORCE) / double(rec.XL))));
}

// The largest single value typed exactly reads, and the roll diameter 2R
// then overflows in the geometry (M6104, after the input echo); one digit
// more is refused at the read (F6104).
TEST(Rounding, LargestSingleValueReadsThenOverflows) {
  struct Case {
    const char* typed;
    const char* report;
  };
  const Case cases[] = {
      {"3.4028234663852886E38", "run-time error M6104: MATH\r\n- floating-point error: overflow"},
      {"3.40282346E38", "run-time error M6104: MATH\r\n- floating-point error: overflow"},
      {"3.4028234664E38", "run-time error F6104: READ(CON)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    const ProgramRun run = runProgram(std::string(c.typed) + "\n2 1.5\n20\n0 0\n0.1\n0\n");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(c.report), std::string::npos) << run.err;
  }
  EXPECT_EQ(bits(rec.R.v), bits(FLT_MAX));
}

}  // namespace
