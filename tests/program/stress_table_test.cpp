// Stress tables as the console shows them: the row's fields and worked-out
// columns, the header over them, and which steps get a row.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "analysis/analysis.h"
#include "console/fixed_format.h"
#include "example_pass.h"
#include "program/report.h"
#include "test_support.h"

namespace {

using orowan::rec;
using orowan::Side;

using StressTable = testio::ConsoleTest;

// The console's lines: records after their advance, the first byte consumed.
std::vector<std::string> lines() {
  std::vector<std::string> result;
  std::string line;
  for (char c : testio::out()) {
    if (c == '\r') continue;
    if (c == '\n') {
      result.push_back(line);
      line.clear();
    } else {
      line += c;
    }
  }
  result.push_back(line);
  return result;
}

// Rows are the 128-position records: 127 bytes on the console.
std::vector<std::string> rows() {
  std::vector<std::string> result;
  for (const std::string& line : lines())
    if (line.size() == 127) result.push_back(line);
  return result;
}

// The 8-byte field at record positions first..first+7 of a console line.
std::string field(const std::string& line, int first) { return line.substr(first - 2, 8); }

TEST_F(StressTable, RowFieldsAndWorkedColumns) {
  rec.PI = orowan::single(3.1415927);
  rec.X = 1.5;
  rec.PHI = rec.PI / 4.0;  // O = 45
  rec.SL_ST = 2;
  rec.F = -17.25;
  rec.P = 23.0;
  rec.RK = 23.0;  // P/K = 1
  rec.SGX = -11.5;  // SGX/K = -0.5
  rec.TAU = 11.5;
  rec.H = 1.5;
  rec.U = 0.1;
  rec.A = 1.29;
  rec.W = 0.785;
  orowan::writeStressRow();
  // T10, then X O (F8.2) I6 5X F P (F8.2) P/K (F8.3) SGX (F8.2) SGX/K (F8.3)
  // TAU (F8.2) 4X H (F8.2) U (F8.3) RK A (F8.2) W (F8.3)
  const std::string record = std::string(9, ' ') + "    1.50   45.00     2     " +
                             "  -17.25   23.00   1.000  -11.50   -.500   11.50    " +
                             "    1.50    .100   23.00    1.29    .785";
  ASSERT_EQ(record.size(), 128u);
  EXPECT_EQ(lines().back(), record.substr(1));
}

// Every label stands at its position in the header record.
TEST_F(StressTable, ColumnHeader) {
  orowan::writeColumnHeader();
  std::string record(126, ' ');
  const std::pair<int, const char*> labels[] = {
      {15, "X"},   {23, "O"},  {29, "SL/ST"}, {42, "F"},   {50, "P"},   {57, "P/K"},
      {66, "SGX"}, {72, "SGX/K"}, {81, "TAU"}, {94, "H"}, {102, "U"}, {109, "RK"},
      {118, "A"},  {126, "W"}};
  for (const auto& [position, label] : labels)
    record.replace(position - 1, std::string(label).size(), label);
  EXPECT_EQ(lines().back(), record.substr(1));
}

TEST_F(StressTable, HeadingAndTitles) {
  orowan::writeFirstResultHeading();
  orowan::writeStressTitle(Side::exit);
  orowan::writeStressTitle(Side::entry);
  const std::vector<std::string> shown = lines();
  auto count = [&](const std::string& text) {
    int n = 0;
    for (const std::string& line : shown) n += line == text;
    return n;
  };
  EXPECT_EQ(count("*** CALCULATED RESULT -- 1 ***"), 1);
  // T5: the title's blank lands at position 5, the asterisks at 6
  EXPECT_EQ(count("    *** Stress distribution on exit side.***"), 1);
  EXPECT_EQ(count("    *** Stress distribution on entry side.***"), 1);
}

struct RowCountCase {
  const char* what;
  example::Inputs in;
  std::size_t rowsPerTable;
  int lastRowStep;
};

// Rows at steps 1, 11, 21, ...: 40 rows for 400 steps (last 391), 41 for
// 401 steps (last 401), one row for one step.
const RowCountCase kRowCounts[] = {
    {"400 steps", example::kExample, 40, 391},
    {"401 steps", {200, 1, 0.8, 30, 0, 0, 0.2}, 41, 401},
    {"1 step", {100, 1.5, 1.5, 20, 0, 0, 0.1}, 1, 1},
};

TEST_F(StressTable, RowsEveryTenthStep) {
  for (const RowCountCase& c : kRowCounts) {
    SCOPED_TRACE(c.what);
    testio::start();
    example::march(c.in, orowan::stressTableWriter());
    const std::vector<std::string> shown = rows();
    ASSERT_EQ(shown.size(), 2 * c.rowsPerTable);
    // the F column of a table's last row is the force at the row's step
    char text[9] = {};
    orowan::console::formatFixed(rec.ENTRY_F(c.lastRowStep).v, 8, 2, text);
    EXPECT_EQ(field(shown.back(), 37), text);
  }
}

}  // namespace
