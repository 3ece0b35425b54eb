// The HTML page at scale: an index of every pass first, each row linked to
// its section with the result file's values; the step tables as
// --html-steps asks (the console's rows by default: steps 1, 11, 21, ...).
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "run_tool.h"

namespace {

using batchtest::columnOf;
using batchtest::readFile;
using batchtest::runTool;
using batchtest::TempDir;

const std::string kInput = "R,H1,H2,Y,SGB,SGF,U\n100,2,1.5,20,0,0,0.1\n100,,1.2,20,0,0,0.1\n"
                           "100,2,1.5,20,0,30,0.05\n100,2,1.5,20,0,0,0\n";

std::vector<std::string> allMatches(const std::string& text, const std::string& pattern) {
  std::vector<std::string> out;
  const std::regex re(pattern);
  for (auto it = std::sregex_iterator(text.begin(), text.end(), re); it != std::sregex_iterator(); ++it)
    out.push_back((*it)[1].str());
  return out;
}

// The index's rows: [heading, status, force, torque, arm, XN] each.
std::vector<std::vector<std::string>> indexRows(const std::string& page) {
  const std::size_t begin = page.find("<table class=\"pass-index\">");
  const std::string index = page.substr(begin, page.find("</table>", begin) - begin);
  std::vector<std::vector<std::string>> rows;
  for (const std::string& row : allMatches(index, "<tr><td>(.*?)</tr>")) {
    std::vector<std::string> cells = allMatches("<td>" + row, "<td[^>]*>(.*?)</td>");
    rows.push_back(cells);
  }
  return rows;
}

TEST(HtmlReport, AnIndexOfEveryPassComesFirst) {
  TempDir dir;
  const std::string input = dir.write("in.csv", kInput);
  const auto r = runTool({input, "-o", dir.path("r.csv"), "--html", dir.path("p.html")});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string page = readFile(dir.path("p.html")), csv = readFile(dir.path("r.csv"));
  EXPECT_LT(page.find("class=\"pass-index\""), page.find("<section class=\"pass\""));
  const auto rows = indexRows(page);
  ASSERT_EQ(rows.size(), 4u);
  const std::vector<std::string> lines = columnOf(csv, "line");
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const std::string id = "pass-" + std::to_string(i + 1);
    EXPECT_EQ(rows[i][0], "<a href=\"#" + id + "\">Line " + lines[i] + "</a>");
    EXPECT_NE(page.find("<section class=\"pass\" id=\"" + id + "\">\n<h2>Line " + lines[i] + "</h2>"), std::string::npos);
    EXPECT_EQ(rows[i][1], columnOf(csv, "status")[i]);
    EXPECT_EQ(rows[i][2], columnOf(csv, "ROLLING_FORCE")[i]);
    EXPECT_EQ(rows[i][3], columnOf(csv, "G")[i]);
    EXPECT_EQ(rows[i][4], columnOf(csv, "TORQUE_ARM")[i]);
    EXPECT_EQ(rows[i][5], columnOf(csv, "XN")[i]);
  }
  EXPECT_EQ(rows[2][1], "no neutral point");
  EXPECT_EQ(rows[3][1], "M6103");
  // a sweep: the index before the charts too
  const auto swept = runTool({input, "-o", dir.path("s.csv"), "--vary", "U=0.1:0.2:0.1", "--html", dir.path("s.html")});
  const std::string sweepPage = readFile(dir.path("s.html"));
  EXPECT_LT(sweepPage.find("class=\"pass-index\""), sweepPage.find("<section class=\"charts\">"));
  EXPECT_EQ(indexRows(sweepPage).size(), 8u);
}

// The X column of a march's step table on the page.
std::vector<std::string> tableX(const std::string& page, const std::string& caption) {
  const std::size_t at = page.find("<summary>" + caption);
  if (at == std::string::npos) return {};
  const std::string table = page.substr(at, page.find("</table>", at) - at);
  return allMatches(table, "<tr><td>([^<]*)</td>");
}

TEST(HtmlReport, StepTablesAsAsked) {
  TempDir dir;
  const std::string input = dir.write("in.csv", "R,H1,H2,Y,SGB,SGF,U\n100,2,1.5,20,0,0,0.1\n");
  ASSERT_EQ(runTool({input, "-o", dir.path("r.csv"), "--steps-out", dir.path("s.csv")}).status, 0);
  std::vector<std::string> exitX;  // every step of the exit march, from the step file
  const std::string steps = readFile(dir.path("s.csv"));
  const auto sides = columnOf(steps, "side"), xs = columnOf(steps, "X");
  for (std::size_t i = 0; i < sides.size(); ++i)
    if (sides[i] == "exit") exitX.push_back(xs[i]);
  ASSERT_EQ(exitX.size(), 400u);  // the example pass
  std::vector<std::string> rowsX;
  for (std::size_t i = 0; i < exitX.size(); i += 10) rowsX.push_back(exitX[i]);  // steps 1, 11, ..., 391
  struct Case {
    std::vector<std::string> args;
    std::string caption;
    std::vector<std::string> x;
  };
  const Case cases[] = {
      {{}, "Exit march, every tenth step (the console&#39;s rows) (40 steps)", rowsX},
      {{"--html-steps", "rows"}, "Exit march, every tenth step (the console&#39;s rows) (40 steps)", rowsX},
      {{"--html-steps", "all"}, "Exit march, every step (400 steps)", exitX},
      {{"--html-steps", "none"}, "Exit march", {}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args{input, "-o", dir.path("r.csv"), "--html", dir.path("p.html")};
    args.insert(args.end(), c.args.begin(), c.args.end());
    ASSERT_EQ(runTool(args).status, 0) << c.caption;
    const std::string page = readFile(dir.path("p.html"));
    EXPECT_EQ(tableX(page, c.caption), c.x) << c.caption;
    if (c.x.empty()) {
      EXPECT_EQ(page.find("<details class=\"steps\">"), std::string::npos);
    }
  }
  const auto bad = runTool({input, "--html", dir.path("p.html"), "--html-steps", "some"});
  EXPECT_EQ(bad.status, 2);
}

}  // namespace
