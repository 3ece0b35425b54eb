// orowan-batch --solver: the converged solver's doubles in the result
// columns (exactly the library's answer for the line's floats), the
// step counts, its statuses and messages, what it refuses, and the
// console's solver unchanged.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <iterator>
#include <nlohmann/json.hpp>
#include <string>

#include "accuracy/converged.h"
#include "batch/solve.h"
#include "passes/solve.h"
#include "batch/writers.h"
#include "run_tool.h"

namespace {

using batchtest::columnOf;
using batchtest::runTool;
using batchtest::TempDir;
using orowan::accuracy::PassConditions;
using orowan::accuracy::Solution;

constexpr const char* kHeader = "R,H1,H2,Y,SGB,SGF,U\n";
constexpr double kPi = 3.14159265358979323846;

// The line's values as the tool reads them: each rounded to float.
PassConditions asRead(float R, float H1, float H2, float Y, float SGB, float SGF, float U) {
  return {R, H1, H2, Y, SGB, SGF, U};
}

struct Pass {
  const char* line;
  PassConditions pass;
  const char* what;
};

const Pass kPasses[] = {
    {"100,2,1.5,20,0,0,0.1", asRead(100, 2, 1.5f, 20, 0, 0, 0.1f), "example pass"},
    {"200,1,0.8,30,0,0,0.2", asRead(200, 1, 0.8f, 30, 0, 0, 0.2f), "slip then stick"},
    {"150,8,5,25,0,0,0.5", asRead(150, 8, 5, 25, 0, 0, 0.5f), "heavy pass, sticking"},
    {"350,0.3,0.25,60,10,15,0.08", asRead(350, 0.3f, 0.25f, 60, 10, 15, 0.08f), "thin, tensions"},
};

// The shortest round-trip text reads back to the very double the library
// gives for the same floats.
void expectExactly(const std::string& text, double expected, const char* column) {
  ASSERT_FALSE(text.empty()) << column;
  EXPECT_EQ(std::strtod(text.c_str(), nullptr), expected) << column << " " << text;
}

TEST(BatchSolver, ConvergedColumnsAreTheLibrarysAnswer) {
  std::string input = kHeader;
  for (const Pass& p : kPasses) input += std::string(p.line) + "\n";
  const auto r = runTool({"-", "--solver", "converged"}, {input});
  ASSERT_EQ(r.status, 0) << r.err;
  for (size_t i = 0; i < std::size(kPasses); ++i) {
    SCOPED_TRACE(kPasses[i].what);
    const Solution s = orowan::accuracy::solveConverged(kPasses[i].pass);
    ASSERT_EQ(s.status, orowan::accuracy::Status::ok);
    const auto cell = [&](const char* column) { return columnOf(r.out, column)[i]; };
    EXPECT_EQ(cell("status"), "ok");
    expectExactly(cell("ROLLING_FORCE"), s.rollingForce, "ROLLING_FORCE");
    expectExactly(cell("G"), s.torque, "G");
    expectExactly(cell("TORQUE_ARM"), s.torqueArm, "TORQUE_ARM");
    expectExactly(cell("PM"), s.meanPressure, "PM");
    expectExactly(cell("XN"), s.neutralX, "XN");
    expectExactly(cell("ON"), s.neutralAngle * 180.0 / kPi, "ON");
    expectExactly(cell("NEUTRAL_F"), s.neutralForce, "NEUTRAL_F");
    expectExactly(cell("XL"), s.contactLength, "XL");
    EXPECT_EQ(cell("STEPS_PER_SIDE"), std::to_string(s.stepsPerSide));
    EXPECT_EQ(cell("FORWARD_SLIP"), "");  // not available with the converged solver
  }
}

// SI: Y typed in MPa is float(20 / 9.80665) to the solver, the force
// comes back times 9.80665 in double.
TEST(BatchSolver, ConvergedInSiUnits) {
  const auto r = runTool({"-", "--solver", "converged", "--units", "si", "--json"},
                         {std::string(kHeader) + "100,2,1.5,196.133,0,0,0.1\n"});
  ASSERT_EQ(r.status, 0) << r.err;
  const nlohmann::json out = nlohmann::json::parse(r.out);
  const float Y = static_cast<float>(196.133 / 9.80665);
  const Solution s = orowan::accuracy::solveConverged(asRead(100, 2, 1.5f, Y, 0, 0, 0.1f));
  EXPECT_EQ(out[0]["ROLLING_FORCE"].get<double>(), s.rollingForce * 9.80665);
  EXPECT_EQ(out[0]["G"].get<double>(), s.torque * 9.80665);
  EXPECT_EQ(out[0]["TORQUE_ARM"].get<double>(), s.torqueArm);
  EXPECT_EQ(out[0]["STEPS_PER_SIDE"].get<int>(), s.stepsPerSide);
}

// No neutral point: the contact values, no loads. A fault: the M number of
// its kind and the formula, no values.
TEST(BatchSolver, ConvergedStatuses) {
  const auto r = runTool({"-", "--solver", "converged"},
                         {std::string(kHeader) + "100,2,1.5,20,0,0,0.02\n100,2,1.5,20,0,5000,0.1\n"
                                                 "100,2,1.5,20,0,0,0\n"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(columnOf(r.out, "status"),
            (std::vector<std::string>{"no neutral point", "M6201", "M6103"}));
  EXPECT_EQ(columnOf(r.out, "message")[1], "slip root: tension beyond the yield");
  EXPECT_NE(columnOf(r.out, "XL")[0], "");
  EXPECT_EQ(columnOf(r.out, "ROLLING_FORCE")[0], "");
  EXPECT_EQ(columnOf(r.out, "STEPS_PER_SIDE")[1], "");
}

// The default is the console's solver, byte for byte; --solver console
// adds only STEPS_PER_SIDE: 400 for the example pass, 401 for R 200,
// H 1 -> 0.8, whose single-precision angle sum takes one step more.
TEST(BatchSolver, ConsoleSolverUnchanged) {
  const std::string input = std::string(kHeader) + "100,2,1.5,20,0,0,0.1\n200,1,0.8,30,0,0,0.2\n";
  const auto plain = runTool({"-"}, {input});
  const auto named = runTool({"-", "--solver", "console"}, {input});
  ASSERT_EQ(named.status, 0) << named.err;
  EXPECT_EQ(columnOf(named.out, "STEPS_PER_SIDE"), (std::vector<std::string>{"400", "401"}));
  EXPECT_EQ(columnOf(named.out, "ROLLING_FORCE"), columnOf(plain.out, "ROLLING_FORCE"));
  EXPECT_EQ(columnOf(plain.out, "ROLLING_FORCE")[0], "185.4864");
  EXPECT_EQ(plain.out.find("STEPS_PER_SIDE"), std::string::npos);
}

// What the converged solver does not take: the console's marches on the
// command line (status 2), a flow curve, flattening or a roll speed on a
// line (an error line naming the column, status 1).
TEST(BatchSolver, ConvergedRefusals) {
  TempDir dir;
  const std::string file = dir.write("p.csv", std::string(kHeader) + "100,2,1.5,20,0,0,0.1\n");
  struct Command {
    std::vector<std::string> args;
    const char* message;
  };
  const Command commands[] = {
      {{file, "--solver", "converged", "--steps", "-o", dir.path("r.csv")}, "--steps"},
      {{file, "--solver", "converged", "--json", "--steps"}, "--steps"},
      {{file, "--solver", "converged", "--svg", dir.path("pictures")}, "--svg and --html"},
      {{file, "--solver", "converged", "--html", dir.path("r.html")}, "--svg and --html"},
      {{file, "--solver", "exact"}, "--solver"}};
  for (const Command& c : commands) {
    const auto r = runTool(c.args);
    EXPECT_EQ(r.status, 2) << c.message;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
  }
  struct Line {
    const char *header, *line, *column;
  };
  const Line lines[] = {{"R,H1,H2,CURVE,K,N,U", "100,2,1.5,swift,50,0.2,0.1", "column CURVE"},
                        {"R,H1,H2,Y,U,E", "100,2,1.5,20,0.1,21000", "column E"},
                        {"R,H1,H2,Y,U,V", "100,2,1.5,20,0.1,300", "column V"}};
  for (const Line& l : lines) {
    const auto r = runTool({"-", "--solver", "converged"},
                           {std::string(l.header) + "\n" + l.line + "\n"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(columnOf(r.out, "status"), std::vector<std::string>{"error"});
    EXPECT_NE(r.err.find(std::string(l.column) + ": not with --solver converged"),
              std::string::npos)
        << r.err;
  }
}

// A JSON friction table along the arc is a friction that varies: refused.
TEST(BatchSolver, ConvergedRefusesAFrictionTable) {
  const auto r = runTool(
      {"-", "--solver", "converged"},
      {R"([{"R":100,"H1":2,"H2":1.5,"Y":20,"U":{"X":[0,2,5,8],"U":[0.12,0.1,0.08,0.08]}}])"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("column U: not with --solver converged"), std::string::npos) << r.err;
}

// The cap reached (2^20 steps a side, not met by any pass of the study):
// the status says so and the columns keep the finest grid's values.
TEST(BatchSolver, NotConvergedKeepsTheFinestGridsValues) {
  orowan::batch::PassJob job;
  job.readable = true;
  const orowan::accuracy::Solution solution = orowan::accuracy::solveConverged(
      asRead(100, 2, 1.5f, 20, 0, 0, 0.1f), {.startSteps = 100, .maxSteps = 400, .tolerance = 0});
  ASSERT_EQ(solution.status, orowan::accuracy::Status::notConverged);
  orowan::passes::takeConvergedSolution(solution, job.answer);
  orowan::batch::OutputFile out(dup(1), "stdout");
  const auto writer = orowan::batch::makeCsvResultWriter(out, {false, orowan::batch::Units::report, true});
  std::string text;
  writer->render(job, text);
  char force[32];
  EXPECT_NE(text.find(",not converged,"), std::string::npos) << text;
  EXPECT_NE(text.find(orowan::batch::shortestDoubleText(solution.rollingForce, force)), std::string::npos);
  // STEPS_PER_SIDE follows the console's columns; the hot pass's columns,
  // empty here, come after it.
  const std::size_t hotCells = orowan::batch::hotResultColumns().size();
  EXPECT_TRUE(text.ends_with(",400" + std::string(hotCells, ',') + "\n")) << text;
}

}  // namespace
