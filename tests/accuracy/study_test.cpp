// The accuracy study on its reduced grid: the console's errors stay within
// the largest errors the README states for the full grid, the 401-step
// part of the force error is the interval counted twice, every pass is
// either compared or counted, and the quantiles of the tables.
#include "accuracy/study.h"

#include <gtest/gtest.h>

#include <cmath>
#include <regex>
#include <sstream>

#include "accuracy/study_report.h"

namespace orowan::accuracy {
namespace {

// The largest errors of the console in the README's table "How accurate"
// (made by orowan-study over the full grid of 2,058 passes), in percent, in
// the order of Quantity. The README prints three decimals: half a unit of
// the last is allowed on top.
constexpr double kReadmeLargestPercent[kQuantityCount] = {0.640, 0.564, 0.319,
                                                          0.640, 29.781, 0.563};

const std::vector<PassComparison>& reducedStudy() {
  static const std::vector<PassComparison> passes =
      comparePasses(studyPasses(reducedStudyGrid()), 2);
  return passes;
}

TEST(Study, ConsoleErrorsWithinTheReadmesLargest) {
  for (int q = 0; q < kQuantityCount; ++q) {
    const ErrorSummary s = summarize(reducedStudy(), Quantity(q));
    EXPECT_GE(s.count, 140);
    EXPECT_LE(s.max, (kReadmeLargestPercent[q] + 0.0005) / 100.0) << quantityName(Quantity(q));
    EXPECT_LE(s.median, s.p95);
    EXPECT_LE(s.p95, s.max);
  }
}

// On the 401-step grid the exit side's sum runs to step i + 1 and the entry
// side's to the entry step at the same angle: the interval at the neutral
// point is in both, adding dX Pn = (XL/400) Pn to a force of XL PM, i.e.
// (Pn / PM) / 400. On 400 steps the two sums meet and the part is only the
// grid's single-precision drift.
TEST(Study, StepCountPartIsTheIntervalCountedTwice) {
  int twice = 0;
  for (const PassComparison& c : reducedStudy()) {
    if (!c.console.ok || !c.converged.ok || !std::isfinite(c.stepCountPart[0])) continue;
    SCOPED_TRACE(describe(c.pass));
    if (c.exitSteps == 401) {
      ++twice;
      EXPECT_NEAR(c.stepCountPart[0], c.peakRatio / 400.0, 0.05 * c.peakRatio / 400.0);
    } else {
      EXPECT_LT(std::fabs(c.stepCountPart[0]), 2e-5);
    }
  }
  EXPECT_GE(twice, 20);
}

// The markdown counts every pass: those compared (the error table's
// passes) and those without a comparison (its counts table) add up to the
// grid.
TEST(Study, EveryPassIsComparedOrCounted) {
  StudyReport report;
  report.grid = reducedStudyGrid();
  report.passes = reducedStudy();
  std::ostringstream out;
  writeStudyMarkdown(out, report);
  const std::string text = out.str();
  std::smatch m;
  ASSERT_TRUE(std::regex_search(text, m, std::regex("\\| rolling force \\| (\\d+) \\|")));
  int counted = std::stoi(m[1]);
  const std::regex row("\\n\\| (no neutral point|ok|M\\d+|fault[^|]*|not converged) \\| "
                       "([^|]+) \\| (\\d+) \\|");
  for (auto it = std::sregex_iterator(text.begin(), text.end(), row); it != std::sregex_iterator();
       ++it)
    counted += std::stoi((*it)[3]);
  EXPECT_EQ(counted, static_cast<int>(report.passes.size()));
  EXPECT_EQ(report.passes.size(), 192u);
}

// Linear between ranks (q (n - 1)): of 1, 2, 3, 4 the median is 2.5 and the
// 95th percentile 3 + 0.85 x (4 - 3) = 3.85.
TEST(Study, Quantiles) {
  struct Case {
    std::vector<double> sorted;
    double q, expected;
  };
  const Case cases[] = {{{5}, 0.5, 5},         {{5}, 0.95, 5},          {{1, 2, 3, 4}, 0.5, 2.5},
                        {{1, 2, 3, 4}, 0.95, 3.85}, {{1, 2, 3, 4}, 0.0, 1}, {{1, 2, 3, 4}, 1.0, 4},
                        {{0, 10, 20}, 0.5, 10}};
  for (const Case& c : cases) EXPECT_DOUBLE_EQ(quantile(c.sorted, c.q), c.expected) << c.q;
  EXPECT_TRUE(std::isnan(quantile({}, 0.5)));
}

}  // namespace
}  // namespace orowan::accuracy
