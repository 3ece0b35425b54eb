// Sweep values: exact decimal steps, each value read as typed, the
// command-line errors, and the order of the cases.
#include <gtest/gtest.h>

#include <bit>

#include "batch/columns.h"
#include "batch/sweep.h"

namespace {

using orowan::batch::Sweep;

struct Values {
  const char* argument;
  std::vector<std::string> texts;
};

// Binary doubles would give 0.30000000000000004 for 0.05 * 6 and lose the
// last value of 0.1:0.3:0.1 (0.1 + 0.1 + 0.1 > 0.3 in double).
const Values kValues[] = {
    {"U=0.05:0.30:0.05", {"0.05", "0.1", "0.15", "0.2", "0.25", "0.3"}},
    {"U=0.1:0.3:0.1", {"0.1", "0.2", "0.3"}},
    {"U=0.1:0.35:0.1", {"0.1", "0.2", "0.3"}},
    {"R=100:300:100", {"100", "200", "300"}},
    {"SGB=-1:1:0.5", {"-1", "-0.5", "0", "0.5", "1"}},
    {"SGF=-0.3:-0.1:0.1", {"-0.3", "-0.2", "-0.1"}},
    {"H2=1e-3:3E-3:1e-3", {"0.001", "0.002", "0.003"}},
    {"Y=20:20:5", {"20"}},
    {"Y=1e9:3e9:1e9", {"1E9", "2E9", "3E9"}},
    {"U=1e-46:2e-46:1e-46", {"1E-46", "2E-46"}},
    {"R=.5:1.:.25", {"0.5", "0.75", "1"}},
};

TEST(SweepTest, ValuesAreTheDecimalTextsFromFromToTo) {
  for (const Values& c : kValues) {
    Sweep sweep;
    ASSERT_EQ(sweep.add(c.argument), "") << c.argument;
    EXPECT_EQ(sweep.varies()[0].texts, c.texts) << c.argument;
    EXPECT_EQ(sweep.caseCount(), static_cast<long>(c.texts.size())) << c.argument;
  }
}

// Each value is the float the text reads as: the nearest single, as the
// compiler rounds the same literal; 1e-46 is below the smallest denormal.
TEST(SweepTest, ValuesReadAsTypedReals) {
  Sweep sweep;
  ASSERT_EQ(sweep.add("U=0.05:0.30:0.05"), "");
  const std::vector<float> expected{0.05f, 0.1f, 0.15f, 0.2f, 0.25f, 0.3f};
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(std::bit_cast<std::uint32_t>(sweep.varies()[0].values[i]), std::bit_cast<std::uint32_t>(expected[i]));
  }
  ASSERT_EQ(sweep.add("SGB=1e-46:1e-46:1"), "");
  EXPECT_EQ(std::bit_cast<std::uint32_t>(sweep.varies()[1].values[0]), 0u);
}

struct Refused {
  std::vector<const char*> arguments;  // the last one is refused
  const char* problem;
};

const Refused kRefused[] = {
    {{"U=0.3:0.1:0.1"}, "FROM must not be above TO"},
    {{"U=0.1:0.3:0"}, "STEP must be above zero"},
    {{"U=0.1:0.3:-0.1"}, "STEP must be above zero"},
    {{"Q=1:2:1"}, "unknown column \"Q\"; expected one of R, H1, H2, Y, SGB, SGF, U, CURVE, K, N, EPS0, S0, EPS, E, NU, V, FLOW, C, A, M1 to M9, EPS_MIN, T, TRANSFER, EMISSIVITY, H_CONV, T_AMBIENT, DESCALE, H_WATER, H_CONTACT, T_ROLL, ETA, RHO, CP, ALPHA"},
    {{"CURVE=1:2:1"}, "column CURVE holds a word, not a number: it cannot be varied"},
    {{"U=0.1:0.3"}, "expected NAME=FROM:TO:STEP"},
    {{"U0.1:0.3:0.1"}, "expected NAME=FROM:TO:STEP"},
    {{"U=0.1:0.3:0.1:1"}, "expected NAME=FROM:TO:STEP"},
    {{"U=a:0.3:0.1"}, "FROM, TO and STEP must be decimal numbers such as 0.05 or 1e-3"},
    {{"U=0.1:0.3:0.1x"}, "FROM, TO and STEP must be decimal numbers such as 0.05 or 1e-3"},
    {{"U=0:1:0.0001"}, "more than 10000 values (FROM:TO:STEP)"},
    {{"R=3.4028235E38:3.4028235E38:1"}, "the value 34028235E31 does not read as a single-precision number (F6104)"},
    {{"U=0.1:0.2:0.1", "U=0.1:0.2:0.1"}, "column U is varied twice"},
    {{"R=1:1000:1", "U=1:1001:1"}, "the sweeps give more than 1000000 cases a line"},
};

TEST(SweepTest, RefusesBadRangesWithTheReason) {
  for (const Refused& c : kRefused) {
    Sweep sweep;
    for (std::size_t i = 0; i + 1 < c.arguments.size(); ++i) ASSERT_EQ(sweep.add(c.arguments[i]), "");
    EXPECT_EQ(sweep.add(c.arguments.back()), c.problem) << c.arguments.back();
  }
}

// The first --vary is the outermost loop.
TEST(SweepTest, FirstVaryChangesSlowest) {
  Sweep sweep;
  ASSERT_EQ(sweep.add("R=100:200:100"), "");
  ASSERT_EQ(sweep.add("U=0.1:0.3:0.1"), "");
  const orowan::batch::Vary& r = *sweep.varyOf(orowan::batch::kR);
  const orowan::batch::Vary& u = *sweep.varyOf(orowan::batch::kU);
  std::vector<std::string> cases;
  for (long c = 0; c < sweep.caseCount(); ++c) {
    cases.push_back(r.texts[sweep.valueIndex(r, c)] + "/" + u.texts[sweep.valueIndex(u, c)]);
  }
  EXPECT_EQ(cases, (std::vector<std::string>{"100/0.1", "100/0.2", "100/0.3", "200/0.1", "200/0.2", "200/0.3"}));
}

}  // namespace
