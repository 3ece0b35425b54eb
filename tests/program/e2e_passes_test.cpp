// Whole passes end to end: the stress tables and the summary that the
// worked example passes give, and the faults inside the marches.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "program_texts.h"
#include "run_program.h"

namespace {

using namespace e2e;

std::vector<std::string> splitLines(const std::string& out) {
  std::vector<std::string> lines;
  std::size_t from = 0;
  for (std::size_t at; (at = out.find(CRLF, from)) != std::string::npos; from = at + 2)
    lines.push_back(out.substr(from, at - from));
  lines.push_back(out.substr(from));
  return lines;
}

// Record positions (from 1) and widths of the 14 row fields. The console
// shows record position p at line index p - 2: the first byte is consumed.
struct Column {
  const char* label;
  int position, width;
};
constexpr Column kColumns[] = {
    {"X", 10, 8},    {"O", 18, 8},   {"SL/ST", 26, 6}, {"F", 37, 8},  {"P", 45, 8},
    {"P/K", 53, 8},  {"SGX", 61, 8}, {"SGX/K", 69, 8}, {"TAU", 77, 8}, {"H", 89, 8},
    {"U", 97, 8},    {"RK", 105, 8}, {"A", 113, 8},    {"W", 121, 8},
};

using Row = std::map<std::string, std::string>;

Row parseRow(const std::string& line) {
  Row row;
  for (const Column& c : kColumns) {
    std::string field = line.size() >= static_cast<std::size_t>(c.position - 2 + c.width)
                            ? line.substr(c.position - 2, c.width)
                            : "";
    row[c.label] = field.substr(field.find_first_not_of(' ') == std::string::npos
                                    ? field.size()
                                    : field.find_first_not_of(' '));
  }
  return row;
}

// The rows under a side's title and header, up to the next empty line.
std::vector<Row> tableRows(const std::vector<std::string>& lines, const std::string& title) {
  std::vector<Row> rows;
  std::size_t i = 0;
  while (i < lines.size() && lines[i].find(title) == std::string::npos) ++i;
  for (i += 3; i < lines.size() && !lines[i].empty(); ++i) rows.push_back(parseRow(lines[i]));
  return rows;
}

struct Pass {
  e2e::Result result;
  std::vector<std::string> lines;
  std::vector<Row> exitRows, entryRows;
};

Pass runPass(const std::string& input) {
  Pass p{e2e::run(input), {}, {}, {}};
  p.lines = splitLines(p.result.out);
  p.exitRows = tableRows(p.lines, "*** Stress distribution on exit side.***");
  p.entryRows = tableRows(p.lines, "*** Stress distribution on entry side.***");
  return p;
}

bool hasLine(const Pass& p, const std::string& line) {
  for (const std::string& l : p.lines)
    if (l == line) return true;
  return false;
}

// R = 100, H1 = 2, H2 = 1.5, yield 20, no tensions, friction as given.
std::string example(const char* friction, const char* tensions = "0 0") {
  return std::string("100\n2 1.5\n20\n") + tensions + "\n" + friction + "\n0\n";
}

struct FieldCase {
  const char* label;
  int row;  // index into the table, -1 for the last row
  const char* column;
  const char* text;
};

void expectFields(const std::vector<Row>& rows, std::initializer_list<FieldCase> cases) {
  for (const FieldCase& c : cases) {
    SCOPED_TRACE(std::string(c.label) + " " + c.column);
    ASSERT_FALSE(rows.empty());
    const Row& row = c.row < 0 ? rows.back() : rows.at(static_cast<std::size_t>(c.row));
    EXPECT_EQ(row.at(c.column), c.text);
  }
}

// The worked example: 400 steps a side, rows for steps 1, 11, ..., 391,
// slipping throughout, and every summary field of the worked numbers.
TEST(ExamplePass, TablesAndSummary) {
  Pass p = runPass(example("0.1"));
  ASSERT_EQ(p.result.status, 0);
  EXPECT_EQ(p.exitRows.size(), 40u);
  EXPECT_EQ(p.entryRows.size(), 40u);
  expectFields(p.exitRows, {{"exit first", 0, "X", ".00"},    {"exit first", 0, "O", ".00"},
                            {"exit first", 0, "SL/ST", "1"},  {"exit first", 0, "A", ".20"},
                            {"exit first", 0, "W", ".992"},   {"exit first", 0, "P", "22.81"},
                            {"exit first", 0, "P/K", ".992"}, {"exit first", 0, "TAU", "2.28"},
                            {"exit first", 0, "H", "1.50"},   {"exit first", 0, "U", ".100"},
                            {"exit first", 0, "RK", "23.00"}, {"exit last", -1, "F", "74.32"},
                            {"exit last", -1, "P", "59.17"}});
  expectFields(p.entryRows, {{"entry first", 0, "X", "7.07"}, {"entry first", 0, "O", "4.05"},
                             {"entry first", 0, "SL/ST", "1"}, {"entry first", 0, "P", "22.75"},
                             {"entry first", 0, "H", "2.00"}, {"entry last", -1, "F", "26.78"},
                             {"entry last", -1, "P", "40.24"}});
  for (const Row& r : p.exitRows) EXPECT_EQ(r.at("SL/ST"), "1");
  for (const Row& r : p.entryRows) EXPECT_EQ(r.at("U"), ".100") << "U prints unsigned";
  const char* summary[] = {
      "** CALCULATED RESULT -- 2 ***",
      "            R    .250  (--)",
      "            XL    7.07  (MM)    OM    4.05  (DEGREE)",
      "            XN    2.28  (MM)    ON    1.31  (DEGREE)",
      "            F   13.70  (KG/MM)    P  31.434  (KG/MM2)",
      "            PM   26.25  (KG/MM2)",
      "            P  185.49  (T/M)    G   1.279  (T-M/M)",
      "            A   3.447  (MM)",
  };
  for (const char* line : summary) EXPECT_TRUE(hasLine(p, line)) << line;
  // With those fields checked, the whole report is kept byte for byte.
  EXPECT_EQ(p.result.out, e2e::readData("example_pass.out"));
}

TEST(ExamplePass, FullFrictionSticksEverywhere) {
  Pass p = runPass(example("1.0"));
  expectFields(p.exitRows, {{"first", 0, "SL/ST", "2"}, {"first", 0, "A", "1.29"},
                            {"first", 0, "W", ".785"},  {"first", 0, "P", "18.06"},
                            {"first", 0, "P/K", ".785"}, {"first", 0, "TAU", "11.50"}});
  for (const auto* rows : {&p.exitRows, &p.entryRows})
    for (const Row& r : *rows) EXPECT_EQ(r.at("SL/ST"), "2");
}

// A negative friction coefficient works with its absolute value.
TEST(ExamplePass, NegativeFrictionAsItsAbsoluteValue) {
  Pass negative = runPass(example("-0.1"));
  Pass positive = runPass(example("0.1"));
  EXPECT_EQ(negative.result.out, positive.result.out);
}

// R = 200, H1 = 1, H2 = 0.8, yield 30, friction 0.2: 401 steps a side, so
// 41 rows ending with step 401; exit slips to step 133, entry to step 168.
TEST(SecondExamplePass, SlipThenStick) {
  Pass p = runPass("200\n1 0.8\n30\n0 0\n0.2\n0\n");
  ASSERT_EQ(p.exitRows.size(), 41u);
  ASSERT_EQ(p.entryRows.size(), 41u);
  for (int k = 0; k < 41; ++k) {
    int step = 10 * k + 1;
    EXPECT_EQ(p.exitRows[k].at("SL/ST"), step <= 133 ? "1" : "2") << "exit step " << step;
    EXPECT_EQ(p.entryRows[k].at("SL/ST"), step <= 168 ? "1" : "2") << "entry step " << step;
    for (const Row* r : {&p.exitRows[k], &p.entryRows[k]}) {
      if (r->at("SL/ST") != "2") continue;
      EXPECT_EQ(r->at("TAU"), "17.25");
      EXPECT_EQ(r->at("W"), ".785");
      EXPECT_EQ(r->at("RK"), "34.50");
    }
  }
  EXPECT_EQ(p.result.out, e2e::readData("second_example_pass.out"));
}

// The neutral point: none when the back tension holds the entry curve
// below the exit curve at the exit plane; on the exit plane just before.
TEST(NeutralPoint, NoneOrOnTheExitPlane) {
  Pass none = runPass(example("0.1", "10 0"));
  EXPECT_TRUE(hasLine(none, "        * NO NEUTRAL POINT"));
  EXPECT_FALSE(hasLine(none, "        * REDUCTION RATIO"));
  EXPECT_EQ(none.result.status, 0);
  Pass onPlane = runPass(example("0.1", "8.057 0"));
  EXPECT_TRUE(hasLine(onPlane, "            XN     .00  (MM)    ON     .00  (DEGREE)"));
}

// No reduction: one step a side, one row a table, then the torque arm's
// 0/0. A reduction between 2R and 4R: a negative contact angle, one step
// a side, and the entry row at minus the contact angle.
TEST(Geometry, SingleStepMarches) {
  Pass flat = runPass("100\n2 2\n20\n0 0\n0.1\n0\n");
  EXPECT_EQ(flat.exitRows.size(), 1u);
  EXPECT_EQ(flat.entryRows.size(), 1u);
  EXPECT_EQ(flat.result.err, mathError("M6101", "floating-point error: invalid"));
  EXPECT_EQ(flat.result.status, 1);
  EXPECT_EQ(flat.result.out.find("RESULT -- 2"), std::string::npos);
  Pass deep = runPass("1\n4 1\n20\n0 0\n0.1\n0\n");  // DH = 3, contact angle -60 degrees
  EXPECT_EQ(deep.exitRows.size(), 1u);
  ASSERT_EQ(deep.entryRows.size(), 1u);
  EXPECT_EQ(deep.entryRows[0].at("O"), "-60.00");
  EXPECT_EQ(deep.entryRows[0].at("X"), "-.87");
  EXPECT_TRUE(hasLine(deep, "            XL     .87  (MM)    OM  -60.00  (DEGREE)"));
}

// Faults in the first exit-side step, after the title and the header.
TEST(MarchFaults, FirstExitStep) {
  struct Case {
    const char* name;
    const char* input;
    const char* code;
    const char* fault;
  } cases[] = {
      {"friction 0", "100\n2 1.5\n20\n0 0\n0\n", "M6103", "divide by zero"},
      {"yield 0, no tension", "100\n2 1.5\n0\n0 0\n0.1\n", "M6101", "invalid"},
      {"yield 0, front tension", "100\n2 1.5\n0\n0 1\n0.1\n", "M6103", "divide by zero"},
      {"friction and yield 0", "100\n2 1.5\n0\n0 0\n0\n", "M6103", "divide by zero"},
      {"H2 0", "100\n2 0\n20\n0 0\n0.1\n", "M6101", "invalid"},
  };
  const std::string header =
      "             X       O     SL/ST        F       P      P/K      SGX   SGX/K    TAU     "
      "     H       U      RK       A       W";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    e2e::Result r = e2e::run(c.input);
    EXPECT_EQ(r.err, mathError(c.code, std::string("floating-point error: ") + c.fault));
    EXPECT_EQ(r.status, 1);
    const std::string tail = "exit side.***" + CRLF + CRLF + header + CRLF;
    ASSERT_GE(r.out.size(), tail.size());
    EXPECT_EQ(e2e::show(r.out.substr(r.out.size() - tail.size())), e2e::show(tail));
  }
}

// Tensions far beyond the yield stress make the slip test's square root
// negative inside the march.
TEST(MarchFaults, TensionBeyondTheYieldStress) {
  e2e::Result r = e2e::run("100\n2 1.5\n20\n0 5000\n0.1\n");
  EXPECT_EQ(r.err, mathError("M6201", "sqrt: DOMAIN error"));
  EXPECT_EQ(r.status, 1);
}

}  // namespace
