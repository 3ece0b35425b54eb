// The set-up's reading of mill files, its limits and --respect-limits.
// (Each stand's pass against orowan-batch, the chains and the ratios over
// a sweep: check_against_batch.py.)
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "setup/mill_file.h"
#include "setup/limits.h"
#include "setup/report.h"
#include "setup/setup.h"

namespace orowan::setup {
namespace {

// A three-stand mill with rigid rolls (fast) in report units; `stand3`
// and `coil` are spliced in.
std::string millText(const std::string& stand3 = "", const std::string& coil = "") {
  return "[mill]\nkind = \"tandem\"\n"
         "[[stand]]\nR = 250.0\nU = 0.1\n"
         "[[stand]]\nR = 250.0\nU = 0.09\n"
         "[[stand]]\nR = 250.0\nU = 0.08\n" + stand3 +
         "[[coil]]\nname = \"A\"\nwidth = 1000.0\nH_entry = 2.0\nH_exit = 1.0\nmaterial = { Y = 30.0 }\n"
         "tension_entry = 2.0\ntension_exit = 3.0\ntensions = [5.0, 6.0]\nV_exit = 600.0\n"
         "distribution = { by = \"force\", ratios = [1.0, 0.9, 0.8] }\n" + coil +
         "[[coil]]\nname = \"B\"\nwidth = 1000.0\nH_entry = 2.0\nH_exit = 1.2\nmaterial = { Y = 30.0 }\n"
         "tensions = [8.0, 9.0]\nV_exit = 600.0\ndistribution = { by = \"given\", H = [1.7, 1.4] }\n";
}

TEST(MillFile, ReadsStandsCoilsAndDefaults) {
  const Mill m = readMill(millText(), "m.toml");
  ASSERT_EQ(m.stands.size(), 3u);
  EXPECT_EQ(m.passes, 3);
  EXPECT_EQ(m.units, Units::report);
  ASSERT_EQ(m.coils.size(), 2u);
  EXPECT_EQ(m.coils[1].tensionEntry, 0.0f);  // absent: no reel tension
  EXPECT_EQ(m.coils[1].distribution.by, ShareBy::given);
  EXPECT_TRUE(m.coils[0].problem.empty()) << m.coils[0].problem;
}

// A coil's bad key: its message names file, line and key; the other coil
// is still read.
TEST(MillFile, CoilProblemsNameLineAndKeyAndLoseNoOtherCoil) {
  struct Case {
    std::string line, says;
  };
  const Case cases[] = {
      {"colour = \"red\"\n", "key coil.colour: unknown key"},
      {"V_exit = \"fast\"\n", "key coil.V_exit: expected a number"},
      {"width = -5.0\n", "key coil.width: must be above 0"},
      {"tensions = [8.0]\n", "key coil.tensions: 1 tensions; expected 2"},
      {"distribution = { by = \"force\", ratios = [1.0, 1.0] }\n", "key coil.distribution.ratios: 2 ratios; expected 3"},
      {"distribution = { by = \"torque\", ratios = [1.0, 1.0, 1.0] }\n", "key coil.distribution.by: expected"},
      {"distribution = { by = \"force\", ratios = [1.0, 0.0, 1.0] }\n", "must be above 0, found 0"},
      {"material = { Y = 30.0, K = 5.0 }\n", "key coil.material.K: unknown key"},
      {"material = { CURVE = \"swift\", K = 50.0 }\n", "key coil.material.N: missing"},
      {"H_exit = 2.5\n", "key coil.H_exit: must be below H_entry"},
  };
  for (const Case& c : cases) {
    // The replaced key is the coil's own (a later duplicate is a TOML
    // error), so each case rewrites the first coil.
    std::string text = millText();
    const std::string key = c.line.substr(0, c.line.find(' '));
    const std::size_t at = text.find("\n" + key + " = ");
    if (at != std::string::npos && at < text.find("name = \"B\"")) {
      const std::size_t end = text.find('\n', at + 1);
      text.replace(at + 1, end - at, c.line);
    } else {
      text.insert(text.find("name = \"A\"\n") + 11, c.line);
    }
    const Mill m = readMill(text, "m.toml");
    ASSERT_EQ(m.coils.size(), 2u) << c.line;
    EXPECT_NE(m.coils[0].problem.find("m.toml:"), std::string::npos) << c.line;
    EXPECT_NE(m.coils[0].problem.find(c.says), std::string::npos) << c.line << " -> " << m.coils[0].problem;
    EXPECT_TRUE(m.coils[1].problem.empty()) << c.line << " -> " << m.coils[1].problem;
  }
}

// A problem of the mill or a stand ends the reading, with file and line.
TEST(MillFile, MillProblemsEndTheReading) {
  const struct {
    std::string text, says;
  } cases[] = {
      {"[mill]\nkind = \"stacked\"\n", "m.toml:2: key mill.kind: expected \"tandem\" or \"reversing\""},
      {millText("U2 = 1.0\n"), "key stand.U2: unknown key"},
      {millText("max_force = 0.0\n"), "key stand.max_force: must be above 0"},
      {"units = \"imperial\"\n" + millText(), "m.toml:1: key units: expected \"report\" or \"si\""},
      {"[mill\n", "m.toml:1:"},
  };
  for (const auto& c : cases) {
    try {
      readMill(c.text, "m.toml");
      ADD_FAILURE() << "read: " << c.text;
    } catch (const MillFileError& e) {
      EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos) << e.what();
    }
  }
}

// A limit just below a stand's computed value: that stand over exactly
// that limit, the others ok. The loads come from the set-up without
// limits; each limit in turn is set one part in 10^4 below stand 2's.
TEST(Limits, ALimitJustBelowAStandsValueMarksThatStandOnly) {
  const Mill plain = readMill(millText(), "m.toml");
  const setup::SetUp asked = setUpCoil(plain, plain.coils[0]);
  ASSERT_TRUE(asked.valid()) << asked.problem;
  const PassLine& s2 = asked.lines[1];
  const struct {
    const char* key;
    double value;
    const char* says;
  } limits[] = {{"max_force", s2.forceTotal, "over force limit"},
                {"max_torque", s2.torqueTotal, "over torque limit"},
                {"max_power", s2.powerTotal, "over power limit"},
                {"max_roll_speed", s2.ROLL_SPEED, "over roll speed limit"}};
  for (const auto& l : limits) {
    std::string text = millText();
    const std::string limit = std::string(l.key) + " = " + std::to_string(l.value * (1 - 1e-4)) + "\n";
    text.insert(text.find("U = 0.09\n") + 9, limit);
    const Mill m = readMill(text, "m.toml");
    const setup::SetUp s = setUpCoil(m, m.coils[0]);
    ASSERT_TRUE(s.valid()) << s.problem;
    EXPECT_EQ(statusOf(s.lines[0]), "ok") << l.key;
    EXPECT_EQ(statusOf(s.lines[1]), l.says) << l.key;
    EXPECT_EQ(statusOf(s.lines[2]), "ok") << l.key;
  }
}

// --respect-limits: a force limit 5 % below stand 2's asked force moves
// the distribution so that every stand is within its limits, and the
// ratios then miss the asked ones; a roll speed limit below the last
// stand's (fixed by the exit speed) has no distribution at all.
TEST(Limits, RespectLimitsKeepsEveryStandWithinOrSaysNoneExists) {
  const Mill plain = readMill(millText(), "m.toml");
  const setup::SetUp asked = setUpCoil(plain, plain.coils[0]);
  ASSERT_TRUE(asked.valid());
  SetUpOptions respect;
  respect.respectLimits = true;
  {
    std::string text = millText();
    text.insert(text.find("U = 0.09\n") + 9, "max_force = " + std::to_string(asked.lines[1].forceTotal * 0.95) + "\n");
    const Mill m = readMill(text, "m.toml");
    const setup::SetUp s = setUpCoil(m, m.coils[0], respect);
    ASSERT_TRUE(s.valid()) << s.problem;
    EXPECT_TRUE(s.limitsRespected);
    for (const PassLine& l : s.lines) EXPECT_EQ(statusOf(l), "ok") << l.pass;
    EXPECT_LE(s.lines[1].forceTotal, asked.lines[1].forceTotal * 0.95);
    EXPECT_GT(s.ratioMiss, kRatioMissAllowed);  // the asked ratios had to give
    EXPECT_EQ(s.lines.back().H2, 1.0f);
  }
  {
    std::string text = millText("max_roll_speed = " + std::to_string(asked.lines[2].ROLL_SPEED * 0.9) + "\n");
    const Mill m = readMill(text, "m.toml");
    const setup::SetUp s = setUpCoil(m, m.coils[0], respect);
    EXPECT_FALSE(s.valid());
    EXPECT_NE(s.problem.find("no distribution keeps every stand within its limits"), std::string::npos) << s.problem;
  }
}

// Relative reductions in given ratios that multiply to the total: with
// ratios 1 : 1 : 1 each pass reduces by 1 - (1/2)^(1/3), to within the
// thicknesses' single-precision rounding.
TEST(Distribution, ReductionRatiosShareTheTotalReduction) {
  std::string text = millText();
  text.replace(text.find("by = \"force\", ratios = [1.0, 0.9, 0.8]"), 38, "by = \"reduction\", ratios = [1.0, 1.0, 1.0]");
  const Mill m = readMill(text, "m.toml");
  const setup::SetUp s = setUpCoil(m, m.coils[0]);
  ASSERT_TRUE(s.valid()) << s.problem;
  const double each = 1 - std::cbrt(0.5);
  for (const PassLine& l : s.lines) EXPECT_NEAR(1 - double(l.H2) / double(l.H1), each, 1e-6) << l.pass;
}

// Force ratios met: each stand's force over the first's is the asked
// ratio to 0.5 %.
TEST(Distribution, ForceRatiosAreMet) {
  const Mill m = readMill(millText(), "m.toml");
  const setup::SetUp s = setUpCoil(m, m.coils[0]);
  ASSERT_TRUE(s.valid()) << s.problem;
  const double ratios[] = {1.0, 0.9, 0.8};
  for (int i = 0; i < 3; ++i)
    EXPECT_NEAR(s.lines[i].ROLLING_FORCE / s.lines[0].ROLLING_FORCE, ratios[i], 0.005 * ratios[i]) << i;
  EXPECT_LE(s.ratioMiss, kRatioMissAllowed);
  EXPECT_GT(s.solves, 3);
}

// A reversing mill: one stand, every pass at V_exit, the strain carried.
TEST(Distribution, ReversingPassesThroughOneStand) {
  const std::string text =
      "[mill]\nkind = \"reversing\"\npasses = 3\n[[stand]]\nR = 200.0\nU = 0.1\n"
      "[[coil]]\nwidth = 1000.0\nH_entry = 3.0\nH_exit = 1.5\n"
      "material = { CURVE = \"swift\", K = 60.0, N = 0.2, EPS0 = 0.01 }\ntensions = [5.0, 5.0]\nV_exit = 300.0\n"
      "distribution = { by = \"force\", ratios = [1.0, 1.0, 1.0] }\n";
  const Mill m = readMill(text, "r.toml");
  const setup::SetUp s = setUpCoil(m, m.coils[0]);
  ASSERT_TRUE(s.valid()) << s.problem;
  ASSERT_EQ(s.lines.size(), 3u);
  for (const PassLine& l : s.lines) EXPECT_NEAR(l.V_EXIT, 300.0, 300.0 * 1e-6) << l.pass;
  EXPECT_EQ(s.lines[1].EPS_IN, s.lines[0].EPS_OUT);
  EXPECT_LE(s.ratioMiss, kRatioMissAllowed);
}

}  // namespace
}  // namespace orowan::setup
