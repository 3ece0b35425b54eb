// The second result block: its fourteen records, or the heading and the
// no-neutral-point line.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "analysis/analysis.h"
#include "example_pass.h"
#include "test_support.h"

namespace {

using orowan::rec;

class Summary : public ::testing::Test {
 protected:
  void SetUp() override { testio::start(); }
  void TearDown() override { testio::stop(); }
};

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

// Title records start at position 10 and value records at 14; the console
// drops each record's first position. Values from the example pass's worked
// results: .250, 7.07, 4.05, 2.28, 1.31, 13.70, 31.434, 26.25, 185.49,
// 1.279, 3.447.
const std::vector<std::string> kExampleBlock{
    "** CALCULATED RESULT -- 2 ***",
    "        * REDUCTION RATIO",
    "            R    .250  (--)",
    "        * CONTACT LENGTH",
    "            XL    7.07  (MM)    OM    4.05  (DEGREE)",
    "        * NEUTRAL POINT",
    "            XN    2.28  (MM)    ON    1.31  (DEGREE)",
    "        * NEUTRAL POINT PRESSURE",
    "            F   13.70  (KG/MM)    P  31.434  (KG/MM2)",
    "        * MEAN ROLL PRESSURE",
    "            PM   26.25  (KG/MM2)",
    "        * ROLLING FORCE AND TORQUE",
    "            P  185.49  (T/M)    G   1.279  (T-M/M)",
    "        * TORQUE ARM",
    "            A   3.447  (MM)",
};

TEST_F(Summary, ExamplePass) {
  passes::march(passes::kExample);
  testio::start();
  orowan::neutralPointAndLoad();
  EXPECT_EQ(shownLines(), kExampleBlock);
}

TEST_F(Summary, NoNeutralPoint) {
  passes::setUp(passes::kExample);
  rec.NO_NEUTRAL_POINT = 1;
  rec.NEUTRAL_STEP = 100000;  // meaningless: must not be used
  orowan::writeSummary();
  const std::vector<std::string> expected{"** CALCULATED RESULT -- 2 ***",
                                          "        * NO NEUTRAL POINT"};
  EXPECT_EQ(shownLines(), expected);
}

// A neutral point on the exit plane prints position and angle as zeros.
TEST_F(Summary, NeutralPointOnTheExitPlane) {
  passes::march(passes::kExample);
  testio::start();
  rec.NO_NEUTRAL_POINT = 0;
  rec.NEUTRAL_STEP = 1;
  orowan::writeSummary();
  const std::vector<std::string> shown = shownLines();
  ASSERT_GT(shown.size(), 6u);
  EXPECT_EQ(shown[6], "            XN     .00  (MM)    ON     .00  (DEGREE)");
}

}  // namespace
