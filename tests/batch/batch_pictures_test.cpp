// orowan-batch --svg and --html end to end, read back as a person would
// read the pictures: every curve has a vertex per march step of the same
// run's --json --steps output, each vertex and the neutral marker map back
// to the values through the axes' labelled ticks, the axes cover the data,
// sweep charts have a curve per second-input value and a point per
// first-input value, names sort in input order, the page holds a section
// per pass with a row per step, and picture paths that cannot be written
// cost the pictures only.
#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <nlohmann/json.hpp>

#include "run_tool.h"
#include "svg_check.h"

namespace {

using batchtest::readFile;
using batchtest::runTool;
using batchtest::TempDir;
using nlohmann::json;
using svgcheck::Element;
using svgcheck::findAll;
using svgcheck::findOne;

const std::string kHeader = "R,H1,H2,Y,SGB,SGF,U\n";

// The passes looked at: the example, sticking, no neutral point, a thin
// strip under a large roll, tensions on both sides, then a fault and a
// line that cannot be read (lines 2 to 8).
const std::string kPasses = kHeader +
                            "100,2,1.5,20,0,0,0.1\n100,2,1.5,20,0,0,1\n100,2,1.5,20,10,0,0.1\n"
                            "300,0.3,0.25,20,0,0,0.1\n100,2,1.5,20,3,5,0.15\n100,2,1.5,20,0,0,0\n"
                            "100,2,1.5,20,0,0,0.1x\n";

std::vector<std::string> sortedFiles(const std::string& dir) {
  std::vector<std::string> names;
  if (DIR* d = opendir(dir.c_str())) {
    while (const dirent* e = readdir(d)) {
      if (e->d_name[0] != '.') names.push_back(e->d_name);
    }
    closedir(d);
  }
  std::sort(names.begin(), names.end());
  return names;
}

// Removes a picture folder with its files (TempDir removes files only).
struct Folder {
  std::string path;
  ~Folder() {
    for (const std::string& name : sortedFiles(path)) unlink((path + "/" + name).c_str());
    rmdir(path.c_str());
  }
};

std::vector<double> numbers(const json& values) {
  std::vector<double> out;
  for (const json& v : values) out.push_back(v.get<double>());
  return out;
}

// Every vertex of `curve` (one per step) is at (xs[i], ys[i]) within half a
// pixel, and inside the plot area.
void expectCurve(const Element& panel, const char* curve, const std::vector<double>& xs,
                 const std::vector<double>& ys, const std::string& what) {
  const svgcheck::Scale x = svgcheck::axisScale(panel, 'x'), y = svgcheck::axisScale(panel, 'y');
  const svgcheck::Box area = svgcheck::rectBox(findOne(panel, "plot-area"));
  const svgcheck::Run vertices = svgcheck::vertices(svgcheck::pathRuns(findOne(panel, curve)));
  ASSERT_EQ(vertices.size(), xs.size()) << what << " " << curve;
  for (std::size_t i = 0; i < vertices.size(); ++i) {
    ASSERT_NEAR(vertices[i].x, x.toPixel(xs[i]), 0.5) << what << " " << curve << " step " << i + 1;
    ASSERT_NEAR(vertices[i].y, y.toPixel(ys[i]), 0.5) << what << " " << curve << " step " << i + 1;
    ASSERT_TRUE(vertices[i].x >= area.x0 - 0.5 && vertices[i].x <= area.x1 + 0.5 &&
                vertices[i].y >= area.y0 - 0.5 && vertices[i].y <= area.y1 + 0.5)
        << what << " " << curve << " step " << i + 1 << " outside the axes";
  }
}

// One friction hill against its result object with steps.
void expectHill(const Element& svg, const json& result, const std::string& what, const std::string& pressureUnit) {
  const bool neutral = result["status"] == "ok";
  EXPECT_EQ(findAll(svg, "note").size(), neutral ? 0u : 1u) << what;
  for (const char* panelName : {"panel pressure", "panel force"}) {
    const Element& panel = findOne(svg, panelName);
    const bool pressure = std::string(panelName) == "panel pressure";
    const char* column = pressure ? "P" : "F";
    for (const char* side : {"exit", "entry"}) {
      const json& steps = result["steps"][side];
      expectCurve(panel, side == std::string("exit") ? "curve exit" : "curve entry", numbers(steps["X"]),
                  numbers(steps[column]), what);
    }
    const auto markers = findAll(panel, "neutral");
    ASSERT_EQ(markers.size(), neutral ? 1u : 0u) << what << " " << panelName;
    if (!neutral) continue;
    const double value = result[pressure ? "NEUTRAL_P" : "NEUTRAL_F"].get<double>();
    EXPECT_NEAR(markers[0]->number("cx"), svgcheck::axisScale(panel, 'x').toPixel(result["XN"].get<double>()), 0.5)
        << what;
    EXPECT_NEAR(markers[0]->number("cy"), svgcheck::axisScale(panel, 'y').toPixel(value), 0.5) << what;
  }
  const Element& pressure = findOne(svg, "panel pressure");
  EXPECT_NE(findOne(pressure, "axis-title y").allText().find(pressureUnit), std::string::npos) << what;
  // sticking shaded only where the strip feels the exit march: up to XN
  const auto flags = numbers(result["steps"]["exit"]["SL/ST"]), xs = numbers(result["steps"]["exit"]["X"]);
  bool felt = false;
  for (std::size_t i = 0; i < flags.size() && neutral; ++i) felt |= flags[i] == 2.0 && xs[i] <= result["XN"].get<double>();
  EXPECT_EQ(findAll(pressure, "stick exit").size(), felt ? 1u : 0u) << what;
}

void expectValidHtml5(const std::string& page) {
  const std::string command = "/usr/bin/python3 " HTML5_CHECK " " + page + " > /dev/null";
  EXPECT_EQ(std::system(command.c_str()), 0) << page;
}

struct UnitCase {
  const char* units;
  const char* pressureUnit;
};

// Each computed pass's hill against the same run's steps, in both unit
// systems; a fault or an unreadable line has no file; the page has a
// section per line with a row per step in its tables.
TEST(BatchPicturesTest, FrictionHillsShowEveryStepWhereTheAnalysisPutIt) {
  for (const UnitCase& u : {UnitCase{"kgf", "kgf/mm²"}, UnitCase{"si", "MPa"}}) {
    TempDir dir;
    Folder svg{dir.path("svg")};
    const std::string input = dir.write("p.csv", kPasses), page = dir.path("page.html");
    const auto r = runTool({input, "--json", "--steps", "-o", dir.path("r.json"), "--units", u.units, "--svg",
                            svg.path, "--html", page, "--html-steps", "all"});
    ASSERT_EQ(r.status, 1) << r.err;  // the unreadable line
    const json results = json::parse(readFile(dir.path("r.json")));
    ASSERT_EQ(results.size(), 7u);
    std::vector<std::string> expected;
    for (const json& result : results) {
      const std::string name = "line000" + std::to_string(result["line"].get<long>()) + ".svg";
      const std::string status = result["status"];
      if (status != "ok" && status != "no neutral point") continue;
      expected.push_back(name);
      expectHill(xmlcheck::parseXml(readFile(svg.path + "/" + name)), result, std::string(u.units) + " " + name,
                 u.pressureUnit);
    }
    EXPECT_EQ(sortedFiles(svg.path), expected);
    const Element html = xmlcheck::parseXml(readFile(page));
    const auto sections = findAll(html, "pass");
    ASSERT_EQ(sections.size(), results.size());
    for (std::size_t k = 0; k < sections.size(); ++k) {
      const json& steps = results[k].contains("steps") ? results[k]["steps"] : json::object();
      const auto tables = findAll(*sections[k], "steps");  // details.steps and table.steps
      std::size_t rows = 0;
      for (const Element* t : tables) {
        if (t->name == "table") rows += t->children.at(1).children.size();  // tbody
      }
      std::size_t stepsWanted = 0;
      for (const char* side : {"exit", "entry"}) {
        if (steps.contains(side)) stepsWanted += steps[side]["X"].size();
      }
      EXPECT_EQ(rows, stepsWanted) << "section " << k;
      const bool pictured = std::find(expected.begin(), expected.end(),
                                      "line000" + std::to_string(results[k]["line"].get<long>()) + ".svg") !=
                            expected.end();
      EXPECT_EQ(findAll(*sections[k], "friction-hill").size(), pictured ? 1u : 0u) << "section " << k;
      EXPECT_EQ(findAll(*sections[k], "note").size(), results[k]["status"] == "ok" ? 0u : pictured ? 2u : 1u);
    }
    if (u.units == std::string("kgf")) expectValidHtml5(page);  // the SI page differs in its texts only
  }
}

// Three values of U by three of SGB over a schedule of two lines: per line
// six charts with a curve per SGB value and, on each, the cases that have
// the value at their U, in order; the page shows the charts before the passes.
TEST(BatchPicturesTest, SweepChartsHaveACurvePerSecondInputAndAPointPerFirst) {
  TempDir dir;
  Folder svg{dir.path("svg")};
  const std::string input = dir.write("s.csv", kHeader + "100,2,1.5,20,0,0,0.1\n100,,1.2,22,0,0,0.1\n");
  const std::string page = dir.path("page.html");
  const auto r = runTool({input, "-o", dir.path("r.csv"), "--vary", "U=0.05:0.15:0.05", "--vary", "SGB=0:10:5",
                          "--svg", svg.path, "--html", page});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string csv = readFile(dir.path("r.csv"));
  const auto lines = batchtest::columnOf(csv, "line"), us = batchtest::columnOf(csv, "U");
  const std::map<std::string, std::string> charted = {{"ROLLING_FORCE", "ROLLING_FORCE"}, {"G", "G"},
                                                      {"PM", "PM"}, {"ON", "ON"}, {"XN", "XN"},
                                                      {"TORQUE_ARM", "TORQUE_ARM"}};
  for (const char* line : {"2", "3"}) {
    for (const auto& [quantity, column] : charted) {
      const std::string name = std::string("line000") + line + "-sweep-" + quantity + ".svg";
      const Element chart = xmlcheck::parseXml(readFile(svg.path + "/" + name));
      const Element& panel = findOne(chart, "panel");
      EXPECT_EQ(findAll(chart, "legend-entry").size(), 3u) << name;
      const auto values = batchtest::columnOf(csv, column);
      for (int series = 0; series < 3; ++series) {  // SGB 0, 5, 10: cases 1 + series, 4 + series, 7 + series
        std::vector<double> xs, ys;
        for (std::size_t row = 0; row < lines.size(); ++row) {
          const long caseIndex = static_cast<long>(row % 9);
          if (lines[row] != line || caseIndex % 3 != series || values[row].empty()) continue;
          xs.push_back(std::stod(us[row]));
          ys.push_back(std::stod(values[row]));
        }
        expectCurve(panel, ("curve s" + std::to_string(series)).c_str(), xs, ys, name);
      }
      EXPECT_TRUE(findAll(panel, "curve s3").empty()) << name;
    }
  }
  const std::string text = readFile(page);
  const Element html = xmlcheck::parseXml(text);
  const auto sections = findAll(html, "pass");
  EXPECT_EQ(sections.size(), 18u);
  const Element& charts = findOne(html, "charts");
  EXPECT_EQ(findAll(charts, "chart-figure").size(), 12u);
  EXPECT_LT(text.find("class=\"charts\""), text.find("class=\"pass\""));
  expectValidHtml5(page);
}

// Eight curves at most (the chart's distinct styles), spread from the first
// value of the second input to its last, each still on its own cases.
TEST(BatchPicturesTest, AtMostEightCurvesSpreadOverTheSecondInput) {
  TempDir dir;
  Folder svg{dir.path("svg")};
  const std::string input = dir.write("s.csv", kHeader + "100,2,1.5,20,0,0,0.1\n");
  const auto r = runTool({input, "-o", dir.path("r.csv"), "--vary", "U=0.1:0.3:0.1", "--vary", "SGB=0:1:0.1",
                          "--svg", svg.path});
  ASSERT_EQ(r.status, 0) << r.err;
  const Element chart = xmlcheck::parseXml(readFile(svg.path + "/line0002-sweep-PM.svg"));
  std::vector<std::string> names;
  for (const Element* entry : findAll(chart, "legend-entry")) names.push_back(entry->allText());
  std::vector<std::string> expected;
  for (const char* value : {"0", "0.1", "0.3", "0.4", "0.6", "0.7", "0.9", "1"})
    expected.push_back(std::string("SGB ") + value + " kgf/mm²");
  EXPECT_EQ(names, expected);
  EXPECT_NE(findAll(chart, "subtitle").at(0)->allText().find("8 of the 11 SGB values drawn"), std::string::npos);
  const std::string csv = readFile(dir.path("r.csv"));
  const auto sgb = batchtest::columnOf(csv, "SGB"), us = batchtest::columnOf(csv, "U"),
             pm = batchtest::columnOf(csv, "PM");
  std::vector<double> xs, ys;
  for (std::size_t row = 0; row < sgb.size(); ++row) {
    if (sgb[row] == "0.9" && !pm[row].empty()) xs.push_back(std::stod(us[row])), ys.push_back(std::stod(pm[row]));
  }
  expectCurve(findOne(chart, "panel"), "curve s6", xs, ys, "SGB 0.9 kgf/mm²");
}

// Names sort in input order and say what they hold: zero-padded lines and
// cases, the varied values, a set per combination of a third vary, and
// JSON objects that share a line told apart.
TEST(BatchPicturesTest, FileNamesSortInInputOrder) {
  TempDir dir;
  Folder svg{dir.path("svg")};
  const std::string pass = R"({"R":100,"H1":2,"H2":1.5,"Y":20,"U":0.1})";
  // from line 2 (a minified array from line 1 would count its elements instead)
  const std::string input = dir.write("p.json", "[\n" + pass + "," + pass + ",\n" + pass + "]\n");
  const auto r = runTool({input, "-o", dir.path("r.csv"), "--vary", "U=0.1:0.2:0.1", "--vary", "SGB=0:1:1",
                          "--vary", "SGF=0:2:2", "--svg", svg.path});
  ASSERT_EQ(r.status, 0) << r.err;
  std::vector<std::string> passes, sweeps;
  for (const std::string& name : sortedFiles(svg.path)) {
    (name.find("-sweep-") == std::string::npos ? passes : sweeps).push_back(name);
  }
  ASSERT_EQ(passes.size(), 24u);
  EXPECT_EQ(passes[0], "line0002-case1-U0.1-SGB0-SGF0.svg");
  EXPECT_EQ(passes[7], "line0002-case8-U0.2-SGB1-SGF2.svg");
  EXPECT_EQ(passes[8], "line0002_0002-case1-U0.1-SGB0-SGF0.svg");
  EXPECT_EQ(passes[16], "line0003-case1-U0.1-SGB0-SGF0.svg");
  EXPECT_EQ(sweeps.size(), 3u * 2u * 6u);  // three records, two SGF sets, six results
  EXPECT_EQ(std::count(sweeps.begin(), sweeps.end(), "line0002_0002-sweep-set2-SGF2-ROLLING_FORCE.svg"), 1);
  std::vector<std::string> inOrder;  // the order the result file has
  const auto cases = batchtest::columnOf(readFile(dir.path("r.csv")), "case");
  for (std::size_t k = 0; k < passes.size(); ++k) inOrder.push_back(passes[k].substr(0, passes[k].find("-U")));
  for (std::size_t k = 0; k < inOrder.size(); ++k) {
    EXPECT_NE(inOrder[k].find("-case" + cases[k]), std::string::npos) << inOrder[k];
  }
  const Element chart = xmlcheck::parseXml(readFile(svg.path + "/line0003-sweep-set1-SGF0-PM.svg"));
  EXPECT_EQ(findAll(chart, "legend-entry").size(), 2u);
  EXPECT_EQ(svgcheck::vertexCount(svgcheck::pathRuns(findOne(chart, "curve s1"))), 2u);
}

struct BadPath {
  const char* name;
  std::vector<std::string> args;  // "@" stands for the test's folder
  std::string err;                // after "orowan-batch: @"
};

std::vector<BadPath> badPaths() {
  return {
      {"svg under a file", {"--svg", "@/file/svg"}, "/file/svg: cannot create the directory: Not a directory (no further SVG files are written)\n"},
      {"svg in a missing folder", {"--svg", "@/missing/svg"},
       "/missing/svg: cannot create the directory: No such file or directory (no further SVG files are written)\n"},
      {"svg is a file", {"--svg", "@/file"}, "/file: cannot create the directory: a file of that name exists (no further SVG files are written)\n"},
      {"html in a missing folder", {"--html", "@/missing/page.html"},
       "/missing/page.html: cannot create a temporary file beside it: No such file or directory (the HTML page is not written)\n"},
      {"html is a folder", {"--html", "@"}, ": is a directory (the HTML page is not written)\n"},
      {"html under a file", {"--html", "@/file/page.html"},
       "/file/page.html: cannot create a temporary file beside it: Not a directory (the HTML page is not written)\n"},
  };
}

// One message naming the path and the reason, status 1, and the result
// file as complete as without pictures.
TEST(BatchPicturesTest, PicturePathsThatCannotBeWrittenCostOnlyThePictures) {
  TempDir plainDir;
  const std::string input = plainDir.write("p.csv", kPasses);
  runTool({input, "-o", plainDir.path("r.csv")});
  const std::string complete = readFile(plainDir.path("r.csv"));
  for (const BadPath& c : badPaths()) {
    TempDir dir;
    dir.write("file", "");
    const std::string root = dir.path("").substr(0, dir.path("").size() - 1);
    std::vector<std::string> args = {input, "-o", dir.path("r.csv")};
    for (const std::string& a : c.args) args.push_back(a[0] == '@' ? root + a.substr(1) : a);
    const auto r = runTool(args);
    // told before the passes run
    EXPECT_EQ(r.err, "orowan-batch: " + root + c.err + input + ":8: column U: expected a number, found \"0.1x\" (F6103)\n")
        << c.name;
    EXPECT_EQ(r.status, 1) << c.name;
    EXPECT_EQ(readFile(dir.path("r.csv")), complete) << c.name;
    auto files = dir.files();
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::string>{"file", "r.csv"})) << c.name;
  }
}

// The same pictures and page, byte for byte, on one thread or two.
TEST(BatchPicturesTest, PicturesDoNotDependOnTheThreadCount) {
  setenv("SOURCE_DATE_EPOCH", "1700000000", 1);
  TempDir dir;
  const std::string input = dir.write("p.csv", kPasses);
  std::map<std::string, std::string> bytes[2];
  for (int jobs = 1; jobs <= 2; ++jobs) {
    Folder svg{dir.path("svg" + std::to_string(jobs))};
    const std::string page = dir.path("page" + std::to_string(jobs) + ".html");
    runTool({input, "-o", dir.path("r.csv"), "--jobs", std::to_string(jobs), "--vary", "SGF=0:4:2", "--svg",
             svg.path, "--html", page});
    for (const std::string& name : sortedFiles(svg.path)) bytes[jobs - 1][name] = readFile(svg.path + "/" + name);
    std::string html = readFile(page);  // less the command line, which names the files and --jobs
    const std::size_t row = html.find("<tr><th scope=\"row\">command line</th>");
    bytes[jobs - 1]["page"] = html.erase(row, html.find('\n', row) - row);
  }
  unsetenv("SOURCE_DATE_EPOCH");
  EXPECT_GT(bytes[0].size(), 5u * 3u + 1u);  // five computed lines, three cases each, charts, the page
  EXPECT_TRUE(bytes[0] == bytes[1]);
  EXPECT_NE(bytes[0]["page"].find("2023-11-14 22:13:20 +0000"), std::string::npos);
}

}  // namespace
