// orowan-setup's command line run in-process: exit statuses, a bad coil
// that loses no other coil, the JSON lines against the CSV lines, and the
// page's charts marking exactly the stands over a limit.
#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "setup/run.h"

namespace orowan::setup {
namespace {

std::string temporaryPath(const std::string& name) {
  return ::testing::TempDir() + "setup_run_" + std::to_string(getpid()) + "_" + name;
}

void writeFile(const std::string& path, const std::string& text) { std::ofstream(path) << text; }

std::string readFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

int run(std::vector<std::string> args) {
  args.insert(args.begin(), "orowan-setup");
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  return runSetup(static_cast<int>(argv.size()), argv.data());
}

// Two stands, rigid rolls; the second stand's force limit is low enough
// that it is exceeded (its force is some 300 t over a 1 m width), the
// first's is not.
const char* kMill =
    "[mill]\nkind = \"tandem\"\n"
    "[[stand]]\nR = 250.0\nU = 0.1\nmax_force = 5000.0\n"
    "[[stand]]\nR = 250.0\nU = 0.09\nmax_force = 100.0\n";

std::string coil(const std::string& name, const std::string& extra = "") {
  return "[[coil]]\nname = \"" + name + "\"\nwidth = 1000.0\nH_entry = 2.0\nH_exit = 1.4\nmaterial = { Y = 30.0 }\n"
         "tensions = [5.0]\nV_exit = 300.0\ndistribution = { by = \"force\", ratios = [1.0, 0.9] }\n" + extra;
}

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) out.push_back(l);
  return out;
}

TEST(Run, ExitStatusesAndABadCoilThatLosesNoOther) {
  const std::string mill = temporaryPath("mill.toml"), out = temporaryPath("out.csv");
  writeFile(mill, std::string(kMill) + coil("good") + coil("bad", "colour = \"red\"\n") + coil("also"));
  EXPECT_EQ(run({mill, "-o", out}), 1);  // a coil could not be read
  const std::vector<std::string> csv = lines(readFile(out));
  ASSERT_EQ(csv.size(), 1u + 2 + 1 + 2);
  EXPECT_EQ(csv[1].rfind("good,1,2,", 0), 0u) << csv[1];
  EXPECT_NE(csv[3].find("bad,,"), std::string::npos);
  EXPECT_NE(csv[3].find("error"), std::string::npos);
  EXPECT_NE(csv[3].find("key coil.colour: unknown key"), std::string::npos) << csv[3];
  EXPECT_EQ(csv[4].rfind("also,1,2,", 0), 0u) << csv[4];

  writeFile(mill, std::string(kMill) + coil("good"));
  EXPECT_EQ(run({mill, "-o", out}), 0);
  EXPECT_EQ(run({mill, "--units", "imperial", "-o", out}), 2);
  EXPECT_EQ(run({mill, "--no-such-option"}), 2);
  EXPECT_EQ(run({temporaryPath("absent.toml"), "-o", out}), 1);
  EXPECT_EQ(run({mill, "-o", mill}), 2);  // would replace the mill file
  EXPECT_EQ(lines(readFile(mill)).front(), "[mill]");
}

// The JSON lines hold the CSV's cells: the same number texts, in order.
TEST(Run, JsonLinesHoldTheCsvValues) {
  const std::string mill = temporaryPath("mill2.toml"), csvOut = temporaryPath("o.csv"), jsonOut = temporaryPath("o.json");
  writeFile(mill, std::string(kMill) + coil("good"));
  ASSERT_EQ(run({mill, "-o", csvOut}), 0);
  ASSERT_EQ(run({mill, "--json", "-o", jsonOut}), 0);
  const std::vector<std::string> csv = lines(readFile(csvOut)), json = lines(readFile(jsonOut));
  ASSERT_EQ(json.size() + 1, csv.size());
  // Stand 2's ROLLING_FORCE cell (column 14) appears as the JSON value.
  std::vector<std::string> cells;
  std::istringstream row(csv[2]);
  for (std::string c; std::getline(row, c, ',');) cells.push_back(c);
  EXPECT_NE(json[1].find("\"ROLLING_FORCE\":" + cells[13] + ","), std::string::npos) << json[1];
  EXPECT_NE(json[1].find("\"status\":\"over force limit\""), std::string::npos) << json[1];
}

// The page: one schedule chart a coil; the one bar over its limit red.
TEST(Run, PageMarksTheStandOverItsLimit) {
  const std::string mill = temporaryPath("mill3.toml"), page = temporaryPath("page.html");
  writeFile(mill, std::string(kMill) + coil("one") + coil("two"));
  ASSERT_EQ(run({mill, "--html", page, "-o", temporaryPath("o3.csv")}), 0);
  const std::string html = readFile(page);
  const auto count = [&](const std::string& what) {
    int n = 0;
    for (std::size_t at = html.find(what); at != std::string::npos; at = html.find(what, at + 1)) ++n;
    return n;
  };
  EXPECT_EQ(count("class=\"schedule-chart\""), 2);
  EXPECT_EQ(count("class=\"bar over\""), 2);        // stand 2's force, in each coil
  EXPECT_EQ(count("class=\"limit crossed\""), 2);
  EXPECT_EQ(count("class=\"friction-hill"), 4);     // each stand of each coil
}

}  // namespace
}  // namespace orowan::setup
