// The second result block: its fourteen records, or the heading and the
// no-neutral-point line.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "analysis/analysis.h"
#include "example_pass.h"
#include "program/report.h"
#include "test_support.h"

namespace {

using orowan::rec;

using Summary = testio::ConsoleTest;

// The non-blank console lines, in order.
std::vector<std::string> shownLines() {
  std::vector<std::string> result;
  std::string line;
  for (char c : testio::out() + "\n") {
    if (c == '\r') continue;
    if (c != '\n') {
      line += c;
      continue;
    }
    if (line.find_first_not_of(' ') != std::string::npos) result.push_back(line);
    line.clear();
  }
  return result;
}

TEST_F(Summary, NoNeutralPoint) {
  example::setUp(example::kExample);
  rec.NO_NEUTRAL_POINT = 1;
  rec.NEUTRAL_STEP = 100000;  // meaningless: must not be used
  orowan::writeSummary();
  const std::vector<std::string> expected{"** CALCULATED RESULT -- 2 ***",
                                          "        * NO NEUTRAL POINT"};
  EXPECT_EQ(shownLines(), expected);
}

// A neutral point on the exit plane prints position and angle as zeros.
TEST_F(Summary, NeutralPointOnTheExitPlane) {
  example::march(example::kExample);
  testio::start();
  rec.NO_NEUTRAL_POINT = 0;
  rec.NEUTRAL_STEP = 1;
  orowan::workOutSummary();
  orowan::writeSummary();
  const std::vector<std::string> shown = shownLines();
  ASSERT_GT(shown.size(), 6u);
  EXPECT_EQ(shown[6], "            XN     .00  (MM)    ON     .00  (DEGREE)");
}

}  // namespace
