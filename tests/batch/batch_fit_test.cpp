// --fit through the built orowan-batch: inputs recovered from the forces
// and slips the tool itself gives for known inputs, the fitted line's
// columns those of a plain run at the fitted input, targets out of reach,
// lines without their measured values, and the command line.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "run_tool.h"

namespace {

using batchtest::columnOf;
using batchtest::runTool;
using batchtest::TempDir;

// The largest jump of the console's force between neighbouring inputs.
constexpr double kJump = 5e-3;

double number(const std::string& text) { return std::stod(text); }

const char* const kHeader = "R,H1,H2,Y,SGB,SGF,U";
const char* const kPasses[] = {"100,2,1.5,20,0,0,", "250,3,2.4,30,5,8,", "300,1,0.9,40,2,2,", "400,4,3,15,0,1,"};

// The plain tool's result of `lines` under `header`.
std::string plainRun(const TempDir& dir, const std::string& header, const std::string& lines) {
  const auto r = runTool({dir.write("plain.csv", header + "\n" + lines)});
  EXPECT_EQ(r.status, 0) << r.err;
  return r.out;
}

TEST(BatchFit, FrictionFromTheForcesTheToolGave) {
  TempDir dir;
  const float frictions[] = {0.07f, 0.15f, 0.11f, 0.2f};
  std::string truth, measured;
  for (int i = 0; i < 4; ++i) truth += std::string(kPasses[i]) + std::to_string(frictions[i]) + "\n";
  const std::string forces = plainRun(dir, kHeader, truth);
  const auto F = columnOf(forces, "ROLLING_FORCE");
  for (int i = 0; i < 4; ++i) measured += std::string(kPasses[i]) + "," + F[i] + "\n";
  const auto r = runTool({dir.write("m.csv", std::string(kHeader) + ",FORCE_MEASURED\n" + measured), "--fit", "U"});
  ASSERT_EQ(r.status, 0) << r.err;
  const auto U = columnOf(r.out, "U_FIT"), fitted = columnOf(r.out, "ROLLING_FORCE");
  const auto miss = columnOf(r.out, "FIT_RESIDUAL"), end = columnOf(r.out, "FIT_END");
  std::string again;
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    EXPECT_TRUE(end[i] == "met" || end[i] == "jump");
    const double f = number(fitted[i]), target = number(F[i]);
    EXPECT_LE(std::fabs(f - target) / target, end[i] == "met" ? 1e-6 : kJump);
    EXPECT_NEAR(number(miss[i]), (f - target) / target, 1e-7);
    // The force moves at least 0.1 % per 1 % of U in these passes: a miss
    // of a jump either side is at most 10 % of U.
    EXPECT_NEAR(number(U[i]), frictions[i], 0.1 * frictions[i]);
    again += std::string(kPasses[i]) + U[i] + "\n";
  }
  // The fitted line's columns are those of the pass at U_FIT.
  EXPECT_EQ(columnOf(plainRun(dir, kHeader, again), "ROLLING_FORCE"), fitted);
}

TEST(BatchFit, FrictionAndFactorFromForceAndSlip) {
  TempDir dir;
  // Y 24 = 1.2 x 20 at U 0.15; fitted from Y 20.
  const std::string forces = plainRun(dir, kHeader, "100,2,1.5,24,0,0,0.15\n200,2.5,2,36,0,0,0.09\n");
  const auto F = columnOf(forces, "ROLLING_FORCE"), S = columnOf(forces, "FORWARD_SLIP");
  const std::string lines = "100,2,1.5,20,0,0,," + F[0] + "," + S[0] + "\n200,2.5,2,40,0,0,," + F[1] + "," + S[1] + "\n";
  const auto r = runTool({dir.write("m.csv", std::string(kHeader) + ",FORCE_MEASURED,FORWARD_SLIP_MEASURED\n" + lines),
                          "--fit", "U,Y"});
  ASSERT_EQ(r.status, 0) << r.err;
  const auto U = columnOf(r.out, "U_FIT"), K = columnOf(r.out, "Y_FACTOR");
  const double frictions[] = {0.15, 0.09}, factors[] = {1.2, 0.9};
  for (int i = 0; i < 2; ++i) {
    SCOPED_TRACE(i);
    EXPECT_NEAR(number(U[i]), frictions[i], 0.1 * frictions[i]);
    EXPECT_NEAR(number(K[i]), factors[i], 0.02 * factors[i]);
    EXPECT_LE(std::fabs(number(columnOf(r.out, "FIT_RESIDUAL")[i])), kJump);
  }
}

TEST(BatchFit, ExitThicknessMeetsTheForce) {
  TempDir dir;
  const auto r = runTool({dir.write("m.csv", "R,H1,H2,Y,SGB,SGF,U,FORCE_MEASURED\n100,2,,20,0,0,0.1,250\n"
                                             "250,3,2.6,30,5,8,0.08,500\n"),
                          "--fit", "H2"});
  ASSERT_EQ(r.status, 0) << r.err;
  const auto H2 = columnOf(r.out, "H2_FIT"), force = columnOf(r.out, "ROLLING_FORCE");
  const double targets[] = {250, 500}, H1[] = {2, 3};
  for (int i = 0; i < 2; ++i) {
    EXPECT_LE(std::fabs(number(force[i]) - targets[i]) / targets[i], kJump);
    EXPECT_LT(number(H2[i]), H1[i]);
  }
  const std::string again = "100,2," + H2[0] + ",20,0,0,0.1\n250,3," + H2[1] + ",30,5,8,0.08\n";
  EXPECT_EQ(columnOf(plainRun(dir, kHeader, again), "ROLLING_FORCE"), force);
}

TEST(BatchFit, TargetsOutOfReachAndLinesWithoutMeasurements) {
  TempDir dir;
  struct Case {
    const char* line;  // R..U,FORCE_MEASURED,FORWARD_SLIP_MEASURED
    const char* status;
    const char* message;  // a part of it
  };
  const Case cases[] = {
      {"100,2,1.5,20,0,0,,5,", "out of reach", "5 t/m is below the lowest rolling force any U of the pass gives: reachable "},
      {"100,2,1.5,20,0,0,,5000,", "out of reach", "above the highest rolling force any U"},
      {"100,2,1.5,20,0,0,,200,", "ok", ""},
      {"100,2,1.5,20,0,0,,,", "error", "column FORCE_MEASURED: missing or empty"},
      {"100,2,1.5,20,0,0,,-40,", "error", "column FORCE_MEASURED: must be above 0, found -40"},
  };
  std::string lines;
  for (const Case& c : cases) lines += std::string(c.line) + "\n";
  const auto r = runTool({dir.write("m.csv", std::string(kHeader) + ",FORCE_MEASURED,FORWARD_SLIP_MEASURED\n" + lines),
                          "--fit", "U"});
  EXPECT_EQ(r.status, 1);  // two lines without a usable force
  const auto status = columnOf(r.out, "status"), force = columnOf(r.out, "ROLLING_FORCE");
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(cases[i].line);
    EXPECT_EQ(status[i], cases[i].status);
    EXPECT_NE(r.out.find(cases[i].message), std::string::npos);
    EXPECT_EQ(force[i].empty(), std::string(cases[i].status) != "ok");
  }
  EXPECT_NE(r.err.find("m.csv:5: column FORCE_MEASURED: missing"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("m.csv:6: column FORCE_MEASURED: must be above 0"), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find("m.csv:2:"), std::string::npos) << "a target out of reach is a result";
}

TEST(BatchFit, CommandLine) {
  TempDir dir;
  const std::string file = dir.write("m.csv", std::string(kHeader) + ",FORCE_MEASURED\n100,2,1.5,20,0,0,0.1,200\n");
  struct Case {
    std::vector<std::string> args;
    int status;
    const char* says;
  };
  const Case cases[] = {
      {{file, "--fit", "R"}, 2, "expected U, Y, U,Y or H2"},
      {{file, "--fit", "U", "--solver", "converged"}, 2, "console's solver"},
      {{file}, 0, ""},
  };
  for (const Case& c : cases) {
    const auto r = runTool(c.args);
    EXPECT_EQ(r.status, c.status) << r.err;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
  }
  // Without --fit the measured column is read, and no fit column is written.
  const auto plain = runTool({file});
  EXPECT_EQ(plain.out.find("U_FIT"), std::string::npos);
}

}  // namespace
