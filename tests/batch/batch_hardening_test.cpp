// Properties along the arc through orowan-batch: a flow curve instead of
// the mean yield stress (and its yield stress along the steps), a friction
// table from JSON, the strain a schedule carries from pass to pass, and
// the lines a curve or a table makes unreadable.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <sstream>

#include "run_tool.h"

namespace {

using batchtest::columnOf;
using batchtest::readFile;
using batchtest::runTool;
using batchtest::TempDir;

// The columns of the pass itself: what must not depend on how the same
// yield stress or friction was given.
const char* const kPassColumns[] = {
    "REDUCTION_RATIO", "XL", "OM", "XN", "ON", "NEUTRAL_F", "NEUTRAL_P", "PM", "ROLLING_FORCE", "G",
    "TORQUE_ARM", "status", "stage", "side", "step", "Y_ENTRY", "Y_EXIT", "Y_MEAN", "FORWARD_SLIP",
    "BACKWARD_SLIP"};

// The step file's rows without their line numbers.
std::vector<std::string> stepRows(const std::string& steps) {
  std::istringstream lines(steps);
  std::vector<std::string> rows;
  for (std::string row; std::getline(lines, row);) rows.push_back(row.substr(row.find(',')));
  return rows;
}

// Runs `input` (CSV or JSON) with --steps; the result and step files.
std::pair<std::string, std::string> runWithSteps(const TempDir& dir, const std::string& name,
                                                 const std::string& input) {
  const std::string in = dir.write(name, input);
  const auto r = runTool({in, "-o", dir.path(name + ".out.csv")});
  EXPECT_EQ(r.status, 0) << r.err;
  runTool({in, "-o", dir.path(name + ".out.csv"), "--steps"});
  return {readFile(dir.path(name + ".out.csv")), readFile(dir.path(name + ".out.steps.csv"))};
}

void expectSamePasses(const std::pair<std::string, std::string>& a,
                      const std::pair<std::string, std::string>& b, const std::string& what) {
  for (const char* column : kPassColumns) EXPECT_EQ(columnOf(a.first, column), columnOf(b.first, column)) << what << " " << column;
  EXPECT_EQ(stepRows(a.second), stepRows(b.second)) << what;
}

struct Geometry {
  const char* R;
  const char* H1;
  const char* H2;
  const char* SGB;
  const char* SGF;
  const char* U;
};

// Slipping, sticking, tensioned, thin and heavy passes, and one without a
// neutral point (the marches are still compared).
const Geometry kGeometries[] = {
    {"100", "2", "1.5", "0", "0", "0.1"},    {"250", "0.8", "0.6", "5", "8", "0.08"},
    {"150", "4", "2.6", "0", "0", "0.15"},   {"300", "3", "2.85", "0", "0", "0.05"},
    {"150", "3", "2.4", "0", "0", "0.8"},    {"100", "2", "1.5", "0", "30", "0.05"},
};

std::string csvLine(const Geometry& g, const std::string& yield) {
  return std::string(g.R) + "," + g.H1 + "," + g.H2 + "," + g.SGB + "," + g.SGF + "," + g.U + "," + yield + "\n";
}

// A curve that does not harden (N = 0) is the constant Y = K to the bit:
// Swift K (EPS0 + e)^0 = K whatever the prestrain and the strain brought
// in, Ludwik S0 + K e^0 = S0 + K (12.5 + 7.75 = 20.25 exactly in single).
// Every value of the pass, every step of both marches, and the three
// yield-stress columns, which are then K.
TEST(BatchHardening, CurveWithoutHardeningIsTheConstantInput) {
  TempDir dir;
  std::string constant = "R,H1,H2,SGB,SGF,U,Y\n", swift = "R,H1,H2,SGB,SGF,U,CURVE,K,N,EPS0,EPS\n",
              ludwik = "R,H1,H2,SGB,SGF,U,CURVE,S0,K,N\n", ludwikConstant = constant;
  for (const Geometry& g : kGeometries) {
    constant += csvLine(g, "23.7");
    swift += csvLine(g, "swift,23.7,0,0.05,0.4");
    ludwik += csvLine(g, "ludwik,12.5,7.75,0");
    ludwikConstant += csvLine(g, "20.25");
  }
  const auto expected = runWithSteps(dir, "constant.csv", constant);
  expectSamePasses(runWithSteps(dir, "swift.csv", swift), expected, "swift");
  expectSamePasses(runWithSteps(dir, "ludwik.csv", ludwik), runWithSteps(dir, "ludwik-constant.csv", ludwikConstant),
                   "ludwik");
  EXPECT_EQ(columnOf(expected.first, "Y_MEAN")[0], "23.7");
  EXPECT_EQ(columnOf(expected.first, "status")[5], "no neutral point");
}

// A friction table that holds one value everywhere is that constant to
// the bit, with positions past the arc or ending inside it (the last value
// then holds beyond the last position).
TEST(BatchHardening, FlatFrictionTableIsTheConstant) {
  TempDir dir;
  std::string constant = "[", tabled = "[", shortTable = "[";
  for (const Geometry& g : kGeometries) {
    const std::string pass = std::string("{\"R\":") + g.R + ",\"H1\":" + g.H1 + ",\"H2\":" + g.H2 + ",\"SGB\":" +
                             g.SGB + ",\"SGF\":" + g.SGF + ",\"Y\":23.7,\"U\":";
    const char* comma = constant.size() > 1 ? ",\n" : "";
    constant += comma + pass + g.U + "}";
    tabled += comma + pass + "{\"X\":[0,3,1000],\"U\":[" + g.U + "," + g.U + "," + g.U + "]}}";
    shortTable += comma + pass + "{\"U\":[" + g.U + "],\"X\":[0]}}";
  }
  const auto expected = runWithSteps(dir, "constant.json", constant + "]");
  expectSamePasses(runWithSteps(dir, "tabled.json", tabled + "]"), expected, "table to 1000 mm");
  expectSamePasses(runWithSteps(dir, "short.json", shortTable + "]"), expected, "table of one point");
}

struct ColdPass {
  const char* pass;   // R,H1,H2,SGB,SGF,U,E
  const char* curve;  // CURVE,K,N,EPS0,S0,EPS
};

// Ordinary cold passes of hardening strip: the README's schedule, steel
// (Swift) annealed and prestrained, aluminium (Ludwik), with tensions, and
// on flattened rolls (whose longer arc needs its own table).
const ColdPass kColdPasses[] = {
    {"200,2,1.5,0,0,0.08,", "swift,55,0.22,0.012,,"},
    {"200,1.5,1.15,0,0,0.08,", "swift,55,0.22,0.012,,0.33218664"},
    {"200,1.15,0.9,0,0,0.08,", "swift,55,0.22,0.012,,0.6389943"},
    {"250,0.8,0.6,5,8,0.08,", "swift,55,0.22,0.012,,0.4"},
    {"150,4,2.6,0,0,0.15,", "swift,55,0.22,0.012,,0.1"},
    {"300,3,2.85,0,0,0.05,", "swift,60,0.15,0.02,,0.8"},
    {"100,2,1.5,0,0,0.1,", "ludwik,30,0.5,,12,"},
    {"200,1,0.7,2,4,0.06,", "ludwik,25,0.35,,8,0.2"},
    {"250,1,0.8,0,0,0.08,21000", "swift,55,0.22,0.012,,0.6"},
    {"200,0.5,0.42,5,0,0.06,21000", "ludwik,25,0.35,,8,0.9"},
};

// Along the arc the yield stress RK rises from the entry plane to the exit
// plane in every step of both marches, from 1.15 Y_ENTRY to 1.15 Y_EXIT;
// the rolling force lies between those of the constant passes at the entry
// and at the exit flow stress.
TEST(BatchHardening, YieldStressRisesTowardTheExit) {
  TempDir dir;
  std::string input = "R,H1,H2,SGB,SGF,U,E,CURVE,K,N,EPS0,S0,EPS\n";
  for (const ColdPass& p : kColdPasses) input += std::string(p.pass) + "," + p.curve + "\n";
  const auto [results, steps] = runWithSteps(dir, "cold.csv", input);
  const auto entry = columnOf(results, "Y_ENTRY"), exit = columnOf(results, "Y_EXIT");
  const auto force = columnOf(results, "ROLLING_FORCE");
  std::string constant = "R,H1,H2,SGB,SGF,U,E,Y\n";
  for (std::size_t i = 0; i < std::size(kColdPasses); ++i) {
    const std::string pass = kColdPasses[i].pass;
    constant += pass + "," + entry[i] + "\n" + pass + "," + exit[i] + "\n";
  }
  const auto bounds = columnOf(runTool({}, {.input = constant}).out, "ROLLING_FORCE");
  for (std::size_t i = 0; i < std::size(kColdPasses); ++i) {
    SCOPED_TRACE(kColdPasses[i].pass);
    ASSERT_EQ(columnOf(results, "status")[i], "ok");
    EXPECT_GT(std::stof(exit[i]), std::stof(entry[i]));
    EXPECT_GT(std::stof(force[i]), std::stof(bounds[2 * i]));
    EXPECT_LT(std::stof(force[i]), std::stof(bounds[2 * i + 1]));
  }
  // Step columns: line,side,step,X,PHI,O,SL/ST,F,P,P/K,SGX,SGX/K,TAU,H,U,RK,A,W
  std::istringstream rows(steps);
  std::string row;
  std::getline(rows, row);
  std::string lastKey;
  float last = 0;
  while (std::getline(rows, row)) {
    std::vector<std::string> cells;
    std::istringstream fields(row);
    for (std::string cell; std::getline(fields, cell, ',');) cells.push_back(cell);
    const std::size_t pass = std::stoul(cells[0]) - 2;
    const float rk = std::stof(cells[15]);
    const std::string key = cells[0] + cells[1];
    if (key != lastKey) {
      const float expected = cells[1] == "exit" ? std::stof(exit[pass]) : std::stof(entry[pass]);
      EXPECT_NEAR(rk / (expected * 1.15f), 1.0, 1e-6) << row;  // each march starts at its plane
    } else if (cells[1] == "exit") {
      EXPECT_LE(rk, last) << row;  // away from the exit plane
    } else {
      EXPECT_GE(rk, last) << row;  // toward the exit plane
    }
    lastKey = key;
    last = rk;
  }
}

// The strain a schedule carries: the second pass brings in (2/sqrt 3)
// ln(H1/H2) of the first, to single precision, the third the sum of both;
// a line with its own H1 starts annealed, and EPS overrides (0: annealed
// between passes). In a sweep each case carries its own.
TEST(BatchHardening, ScheduleCarriesTheStrain) {
  const std::string input =
      "R,H1,H2,CURVE,K,N,EPS0,U,EPS\n200,2,1.5,swift,55,0.22,0.012,0.08,\n200,,1.15,swift,55,0.22,0.012,0.08,\n"
      "200,,0.9,swift,55,0.22,0.012,0.08,\n200,,0.8,swift,55,0.22,0.012,0.08,0\n200,2,1.5,swift,55,0.22,0.012,0.08,\n";
  const auto r = runTool({}, {.input = input});
  ASSERT_EQ(r.status, 0) << r.err;
  const auto in = columnOf(r.out, "EPS_IN"), out = columnOf(r.out, "EPS_OUT");
  const double k = 2 / std::sqrt(3.0);
  const float first = static_cast<float>(k * std::log(2.0 / 1.5));
  const float second = static_cast<float>(double(first) + k * std::log(double(1.5f) / double(1.15f)));
  EXPECT_EQ(in, (std::vector<std::string>{"0", out[0], out[1], "0", "0"}));
  EXPECT_EQ(std::stof(in[1]), first);
  EXPECT_EQ(std::stof(in[2]), second);
  EXPECT_EQ(columnOf(r.out, "Y_ENTRY")[4], columnOf(r.out, "Y_ENTRY")[0]);

  const auto swept = runTool({"--vary", "EPS=0:0.2:0.1"}, {.input = "R,H1,H2,CURVE,K,N,EPS0,U,EPS\n"
                                                                   "200,2,1.5,swift,55,0.22,0.012,0.08,\n"
                                                                   "200,,1.15,swift,55,0.22,0.012,0.08,\n"});
  const auto sweptIn = columnOf(swept.out, "EPS_IN");
  ASSERT_EQ(sweptIn.size(), 6u);
  EXPECT_EQ(sweptIn[1], "0.1");  // varied on both lines: EPS is given
  EXPECT_EQ(sweptIn[4], "0.1");
}

// A line that only some cases of a sweep cannot compute (N = 0 is a
// constant curve, N > 0 from zero strain has zero stress): one message
// for the line, from the first case that fails.
TEST(BatchHardening, OneMessageALineWhateverItsCases) {
  TempDir dir;
  const std::string in = dir.write("p.csv", "R,H1,H2,CURVE,K,N,U\n100,2,1.5,swift,40,0.3,0.1\n100,2,1.5,swift,40,0.3,0.1\n");
  const auto r = runTool({in, "--vary", "N=0:0.2:0.1"});
  const std::string message = ": column EPS0: the curve has zero stress at zero strain; give EPS0 > 0 or EPS > 0\n";
  EXPECT_EQ(r.err, in + ":2" + message + in + ":3" + message);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(columnOf(r.out, "status"), (std::vector<std::string>{"ok", "error", "error", "ok", "error", "error"}));
}

struct BadLine {
  const char* what;
  std::string header;  // "" for JSON
  std::string good, bad;
  std::string message;
};

const std::string kCurveHeader = "R,H1,H2,Y,U,CURVE,K,N,EPS0,S0,EPS\n";
const std::string kJsonPass = "{\"R\":100,\"H1\":2,\"H2\":1.5,\"Y\":20,\"U\":";
const std::string kFifty = [] {
  std::string x = "[", u = "[";
  for (int i = 0; i < 50; ++i) x += (i ? "," : "") + std::to_string(i * 0.1), u += i ? ",0.1" : "0.1";
  return "{\"X\":" + x + "],\"U\":" + u + "]}}";
}();

const BadLine kBadLines[] = {
    {"K missing", kCurveHeader, "100,2,1.5,,0.1,swift,55,0.22,0.012,,\n", "100,2,1.5,,0.1,swift,,0.22,0.012,,\n",
     "column K: missing; the swift curve needs K, N (and EPS0, 0 when empty)"},
    {"S0 missing", kCurveHeader, "100,2,1.5,20,0.1,,,,,,\n", "100,2,1.5,,0.1,ludwik,30,0.5,,,\n",
     "column S0: missing; the ludwik curve needs S0, K, N"},
    {"K zero", kCurveHeader, "100,2,1.5,20,0.1,,,,,,\n", "100,2,1.5,,0.1,swift,0,0.22,0.012,,\n",
     "column K: must be above 0, found 0"},
    {"N negative", kCurveHeader, "100,2,1.5,20,0.1,,,,,,\n", "100,2,1.5,,0.1,swift,55,-0.2,0.012,,\n",
     "column N: must not be negative, found -0.2"},
    {"EPS0 negative", kCurveHeader, "100,2,1.5,20,0.1,,,,,,\n", "100,2,1.5,,0.1,swift,55,0.2,-0.01,,\n",
     "column EPS0: must not be negative, found -0.01"},
    {"S0 negative", kCurveHeader, "100,2,1.5,20,0.1,,,,,,\n", "100,2,1.5,,0.1,ludwik,30,0.5,,-1,\n",
     "column S0: must not be negative, found -1"},
    {"EPS negative", kCurveHeader, "100,2,1.5,20,0.1,,,,,,\n", "100,2,1.5,,0.1,ludwik,30,0.5,,5,-0.1\n",
     "column EPS: must not be negative, found -0.1"},
    {"Y and a curve", kCurveHeader, "100,2,1.5,20,0.1,,,,,,\n", "100,2,1.5,20,0.1,swift,55,0.22,0.012,,\n",
     "columns Y and CURVE: give the mean yield stress or a flow curve, not both"},
    {"unknown curve", kCurveHeader, "100,2,1.5,20,0.1,,,,,,\n", "100,2,1.5,,0.1,voce,55,0.22,,,\n",
     "column CURVE: expected swift or ludwik, found \"voce\""},
    {"a parameter of the other curve", kCurveHeader, "100,2,1.5,20,0.1,,,,,,\n",
     "100,2,1.5,,0.1,ludwik,30,0.5,0.01,5,\n", "column EPS0: not a parameter of the ludwik curve (S0, K, N)"},
    {"a parameter without a curve", kCurveHeader, "100,2,1.5,20,0.1,,,,,,\n", "100,2,1.5,20,0.1,,55,,,,\n",
     "column K: a flow curve's parameter, but CURVE is empty"},
    {"neither Y nor a curve", kCurveHeader, "100,2,1.5,20,0.1,,,,,,\n", "100,2,1.5,,0.1,,,,,,\n",
     "column Y: empty; expected a number"},
    {"Hollomon from zero strain", kCurveHeader, "100,2,1.5,20,0.1,,,,,,\n", "100,2,1.5,,0.1,swift,40,0.3,,,\n",
     "column EPS0: the curve has zero stress at zero strain; give EPS0 > 0 or EPS > 0"},
    {"Ludwik without S0 from zero strain", kCurveHeader, "100,2,1.5,20,0.1,,,,,,\n",
     "100,2,1.5,,0.1,ludwik,30,0.5,,0,\n",
     "column S0: the curve has zero stress at zero strain; give S0 > 0 or EPS > 0"},
    {"table out of order", "", kJsonPass + "0.1}", kJsonPass + "{\"X\":[0,2,1.5],\"U\":[0.1,0.1,0.1]}}",
     "column U: the positions must ascend, but X 3 = 1.5 follows 2"},
    {"table of 51 points", "", kJsonPass + "0.1}",
     kJsonPass + kFifty.substr(0, kFifty.find("],\"U\"")) + ",5],\"U\":[" + [] {
       std::string u;
       for (int i = 0; i < 51; ++i) u += i ? ",0.1" : "0.1";
       return u;
     }() + "]}}",
     "column U: the table has more than 50 points"},
    {"full table ending inside the arc", "", kJsonPass + "0.1}", kJsonPass + kFifty,
     "column U: the table ends at X = 4.9, inside the arc of contact (XL = 7.066647); a table of 50 points must "
     "reach past the entry plane"},
    {"table not at the exit plane", "", kJsonPass + "0.1}", kJsonPass + "{\"X\":[1,8],\"U\":[0.1,0.1]}}",
     "column U: the table must start at the exit plane (X = 0), not at 1"},
    {"table without values", "", kJsonPass + "0.1}", kJsonPass + "{\"X\":[0,8]}}",
     "column U: a friction table needs both X and U"},
    {"table with another key", "", kJsonPass + "0.1}", kJsonPass + "{\"X\":[0,8],\"F\":[1,1]}}",
     "column U: a friction table has the keys X and U, found \"F\""},
    {"table of unequal lengths", "", kJsonPass + "0.1}", kJsonPass + "{\"X\":[0,8],\"U\":[0.1]}}",
     "column U: the table has 2 positions (X) and 1 values (U)"},
    {"table value not a number", "", kJsonPass + "0.1}", kJsonPass + "{\"X\":[0,8],\"U\":[0.1,\"0.1x\"]}}",
     "column U (U 2): expected a number, found \"0.1x\" (F6103)"},
};

// One message naming the file, the line and the column; that line's result
// is `error`; the lines around it are computed.
TEST(BatchHardening, BadCurvesAndTablesAreLineErrors) {
  for (const BadLine& c : kBadLines) {
    SCOPED_TRACE(c.what);
    batchtest::expectBadMiddleLine(c.header, c.good, c.bad, c.message);
  }
}

}  // namespace
