// A value printed by orowan-batch is the console's: the same passes typed
// into the console program and given to the batch tool, every summary
// field the console prints equals the batch tool's shortest text read back
// and put through the console's own field writer; a fault has the same
// number and message; a pass without a neutral point says so in both.
#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>

#include "console/fixed_format.h"
#include "run_tool.h"

namespace {

using batchtest::columnOf;
using batchtest::runTool;

struct Pass {
  const char* R;
  const char* H1;
  const char* H2;
  const char* Y;
  const char* SGB;
  const char* SGF;
  const char* U;
};

const Pass kPasses[] = {
    {"100", "2", "1.5", "20", "0", "0", "0.1"},           // the example pass
    {"1.0E2", "2.0d0", "1.5", "2E1", "0", "0", ".1"},     // the same in other forms
    {"250", "6", "4.8", "35", "0", "0", "0.08"},          // slipping
    {"150", "3", "2.4", "25", "0", "0", "0.8"},           // sticking
    {"150", "3", "2.4", "25", "0", "0", "0.25"},          // slip, then stick
    {"300", "4", "3.4", "30", "8", "12", "0.1"},          // tensions
    {"100", "2", "1.5", "20", "0", "30", "0.05"},         // no neutral point
    {"100", "2", "1.5", "20", "0", "0", "0"},             // divide by zero
    {"100", "1.5", "2", "20", "0", "0", "0.1"},           // square root domain (refused by the batch tool)
    {"100", "2", "2", "20", "0", "0", "0.1"},             // invalid, torque arm (refused by the batch tool)
    {"3.4028234E38", "2", "1.5", "20", "0", "0", "0.1"},  // overflow
    {"100", "2", "1.5", "20", "0", "5000", "0.1"},        // domain error inside the march
};

// The console's summary fields: label, width 8, decimals, batch column.
struct Field {
  const char* pattern;  // the record, the field in group 1 or 2
  int group;
  int decimals;
  const char* column;
};

const Field kFields[] = {
    {R"(\n +R(.{8})  \(--\))", 1, 3, "REDUCTION_RATIO"},
    {R"(\n +XL(.{8})  \(MM\)    OM(.{8})  \(DEGREE\))", 1, 2, "XL"},
    {R"(\n +XL(.{8})  \(MM\)    OM(.{8})  \(DEGREE\))", 2, 2, "OM"},
    {R"(\n +XN(.{8})  \(MM\)    ON(.{8})  \(DEGREE\))", 1, 2, "XN"},
    {R"(\n +XN(.{8})  \(MM\)    ON(.{8})  \(DEGREE\))", 2, 2, "ON"},
    {R"(\n +F(.{8})  \(KG/MM\)    P(.{8})  \(KG/MM2\))", 1, 2, "NEUTRAL_F"},
    {R"(\n +F(.{8})  \(KG/MM\)    P(.{8})  \(KG/MM2\))", 2, 3, "NEUTRAL_P"},
    {R"(\n +PM(.{8})  \(KG/MM2\))", 1, 2, "PM"},
    {R"(\n +P(.{8})  \(T/M\)    G(.{8})  \(T-M/M\))", 1, 2, "ROLLING_FORCE"},
    {R"(\n +P(.{8})  \(T/M\)    G(.{8})  \(T-M/M\))", 2, 3, "G"},
    {R"(\n +A(.{8})  \(MM\))", 1, 3, "TORQUE_ARM"},
};

std::string consoleInput(const Pass& p) {
  return std::string(p.R) + "\n" + p.H1 + " " + p.H2 + "\n" + p.Y + "\n" + p.SGB + " " + p.SGF + "\n" + p.U + "\n0\n";
}

std::string batchInput() {
  std::string csv = "R,H1,H2,Y,SGB,SGF,U\n";
  for (const Pass& p : kPasses) {
    csv += std::string(p.R) + "," + p.H1 + "," + p.H2 + "," + p.Y + "," + p.SGB + "," + p.SGF + "," + p.U + "\n";
  }
  return csv;
}

// The console's Fw.d field of the batch tool's text, read back as a float.
std::string fieldOf(const std::string& text, int decimals) {
  char field[8];
  orowan::console::formatFixed(std::strtof(text.c_str(), nullptr), 8, decimals, field);
  return std::string(field, 8);
}

void expectSameSummary(const std::string& console, const std::string& csv, std::size_t row) {
  for (const Field& f : kFields) {
    std::smatch match;
    ASSERT_TRUE(std::regex_search(console, match, std::regex(f.pattern))) << f.column << " row " << row;
    EXPECT_EQ(fieldOf(columnOf(csv, f.column)[row], f.decimals), match[f.group].str())
        << f.column << " of pass " << row << ": batch " << columnOf(csv, f.column)[row];
  }
}

TEST(BatchConsoleTest, EveryPrintedFieldAndFaultMatchesTheConsole) {
  const auto batch = runTool({"--jobs", "2"}, {.input = batchInput()});
  ASSERT_EQ(batch.status, 1) << batch.err;  // the lines without a reduction
  const auto status = columnOf(batch.out, "status");
  ASSERT_EQ(status.size(), std::size(kPasses));
  int faults = 0, noNeutralPoint = 0, summaries = 0, refused = 0;
  for (std::size_t i = 0; i < std::size(kPasses); ++i) {
    const auto console = runTool({}, {.input = consoleInput(kPasses[i]), .binary = OROWAN_BINARY});
    std::smatch fault;
    if (std::regex_search(console.err, fault, std::regex("run-time error (M[0-9]+): MATH\r\n- ([^\r]*)"))) {
      // H2 not below H1: the console faults, the batch tool refuses the line in words
      if (status[i] == "error" && ++refused) {
        EXPECT_NE(columnOf(batch.out, "message")[i].find("a pass must reduce the strip"), std::string::npos);
        continue;
      }
      ++faults;
      EXPECT_EQ(status[i], fault[1].str()) << "pass " << i;
      EXPECT_NE(batch.out.find("," + fault[1].str() + "," + fault[2].str() + ","), std::string::npos) << "pass " << i;
    } else if (console.out.find("* NO NEUTRAL POINT") != std::string::npos) {
      ++noNeutralPoint;
      EXPECT_EQ(status[i], "no neutral point") << "pass " << i;
      EXPECT_EQ(columnOf(batch.out, "ROLLING_FORCE")[i], "") << "pass " << i;
    } else {
      ASSERT_EQ(console.status, 0) << "pass " << i;
      EXPECT_EQ(status[i], "ok") << "pass " << i;
      ++summaries;
      expectSameSummary(console.out, batch.out, i);
    }
  }
  EXPECT_EQ(refused, 2);
  EXPECT_EQ(faults, 3);  // M6103, M6104 and M6201 inside the march
  EXPECT_EQ(noNeutralPoint, 1);
  EXPECT_EQ(summaries, 6);
}

// The example pass's printed fields, as the README shows them.
TEST(BatchConsoleTest, ExamplePassFields) {
  const auto batch = runTool({}, {.input = "R,H1,H2,Y,SGB,SGF,U\n100,2,1.5,20,0,0,0.1\n"});
  ASSERT_EQ(batch.status, 0);
  EXPECT_EQ(fieldOf(columnOf(batch.out, "ROLLING_FORCE")[0], 2), "  185.49");
  EXPECT_EQ(fieldOf(columnOf(batch.out, "G")[0], 3), "   1.279");
  EXPECT_EQ(fieldOf(columnOf(batch.out, "TORQUE_ARM")[0], 3), "   3.447");
  EXPECT_EQ(fieldOf(columnOf(batch.out, "NEUTRAL_P")[0], 3), "  31.434");
}

}  // namespace
