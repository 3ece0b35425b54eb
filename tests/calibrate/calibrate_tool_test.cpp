// The built orowan-calibrate end to end: a small log with bad lines is
// fitted with the bad lines named on standard error and in the summary;
// the outputs are written; a log or command line it cannot take ends with
// its message and status.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>

#include "run_tool.h"

namespace {

using batchtest::readFile;
using batchtest::runTool;
using batchtest::TempDir;

batchtest::RunOptions tool() {
  batchtest::RunOptions o;
  o.binary = OROWAN_CALIBRATE_BINARY;
  return o;
}

// The pass whose ROLLING_FORCE orowan-batch gives as 193.7782 at U 0.12
// (100,2,1.5,20,0,0,0.12), twice, beside three bad lines: a constant
// friction fits it to a jump of the force.
const char* const kLog =
    "R,H1,H2,Y,SGB,SGF,FORCE_MEASURED\n"
    "100,2,1.5,20,0,0,193.7782\n"
    "100,2,1.5,20,0,0,\n"         // line 3: no force
    "100,2,1.5,20,0,0,-50\n"      // line 4: negative
    "100,2,1.5,abc,0,0,190\n"     // line 5: Y not a number
    "100,2,1.5,20,0,0,193.7782\n";

TEST(CalibrateTool, FitsTheGoodLinesAndNamesTheBadOnes) {
  TempDir dir;
  const std::string log = dir.write("log.csv", kLog);
  const auto r = runTool({log, "-o", dir.path("sum.json"), "--residuals", dir.path("res.csv"), "--html",
                          dir.path("page.html"), "--jobs", "1"}, tool());
  ASSERT_EQ(r.status, 0) << r.err;
  for (const char* message : {":3: column FORCE_MEASURED: missing or empty", ":4: column FORCE_MEASURED: must be above 0",
                              ":5: column Y: expected a number"})
    EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
  const auto summary = nlohmann::json::parse(readFile(dir.path("sum.json")));
  EXPECT_NEAR(summary["parameters"]["U0"]["value"].get<double>(), 0.12, 0.002);
  EXPECT_EQ(summary["lines_used"], 2);
  EXPECT_EQ(summary["lines_refused"].size(), 3u);
  EXPECT_EQ(summary["lines_refused"][0]["line"], 3);
  EXPECT_LT(summary["force_error"]["after"]["rms"].get<double>(), 5e-3);  // a jump at most
  const std::string residuals = readFile(dir.path("res.csv"));
  EXPECT_EQ(residuals.rfind("line,FORCE_MEASURED,FORCE_COMPUTED,FORCE_ERROR,", 0), 0u);
  EXPECT_EQ(std::count(residuals.begin(), residuals.end(), '\n'), 3);
  const std::string page = readFile(dir.path("page.html"));
  EXPECT_NE(page.find("<svg"), std::string::npos);
  EXPECT_NE(page.find("line 4: column FORCE_MEASURED"), std::string::npos);
}

TEST(CalibrateTool, LogsAndCommandLinesItCannotTake) {
  TempDir dir;
  const std::string noForce = dir.write("a.csv", "R,H1,H2,Y\n100,2,1.5,20\n");
  const std::string noLaw = dir.write("b.csv", "R,H1,H2,Y,FORCE_MEASURED\n100,2,1.5,20,190\n");
  const std::string allBad = dir.write("c.csv", "R,H1,H2,Y,FORCE_MEASURED\n100,2,1.5,20,-1\n");
  struct Case {
    std::vector<std::string> args;
    int status;
    const char* says;
  };
  const Case cases[] = {
      {{noForce}, 1, "column FORCE_MEASURED: required"},
      {{noLaw, "--flow-factor", "by:GRADE"}, 1, "column GRADE: the laws use it"},
      {{allBad}, 1, "no line can be used"},
      {{noLaw, "--friction", "quadratic:V"}, 2, "expected const, linear:COL"},
      {{noLaw, "--loss", "square"}, 2, "--loss"},
      {{dir.path("none.csv")}, 1, "cannot open"},
      {{noLaw, "-o", noLaw}, 2, "is the log, which it would replace"},
      {{noLaw, "-o", dir.path("x"), "--html", dir.path("x")}, 2, "is also the file of -o"},
  };
  for (const Case& c : cases) {
    const auto r = runTool(c.args, tool());
    EXPECT_EQ(r.status, c.status) << r.err;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
  }
}

}  // namespace
