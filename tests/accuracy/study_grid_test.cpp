// The study's grids: their sizes, the reduced grid inside the full one (the
// README bounds test relies on it), and each pass's values as the console
// reads them and as the double-precision solvers take them.
#include "accuracy/study_grid.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace orowan::accuracy {
namespace {

TEST(StudyGrid, SizesAndRanges) {
  const StudyGrid full = fullStudyGrid();
  EXPECT_EQ(studyPasses(full).size(), 2058u);
  EXPECT_EQ(studyPasses(reducedStudyGrid()).size(), 192u);
  // The ranges issue 13 asks for: R/H1 10-1000, reductions 5-50 %,
  // friction 0.03-0.4, tensions 0-60 % of the yield stress.
  EXPECT_EQ(full.radiusRatios.front(), 10);
  EXPECT_EQ(full.radiusRatios.back(), 1000);
  EXPECT_EQ(full.reductions.front(), 0.05);
  EXPECT_EQ(full.reductions.back(), 0.5);
  EXPECT_EQ(full.frictions.front(), 0.03);
  EXPECT_EQ(full.frictions.back(), 0.4);
  double most = 0;
  for (const TensionLevel& t : full.tensions) most = std::max({most, t.back, t.front});
  EXPECT_EQ(most, 0.6);
}

// Every pass of the reduced grid is a pass of the full one, with the same
// float inputs: the reduced grid's largest errors cannot exceed the full's.
TEST(StudyGrid, ReducedPassesAreFullPasses) {
  const std::vector<StudyPass> full = studyPasses(fullStudyGrid());
  for (const StudyPass& p : studyPasses(reducedStudyGrid())) {
    const auto same = [&](const StudyPass& q) {
      return q.console.R == p.console.R && q.console.H2 == p.console.H2 &&
             q.console.friction == p.console.friction && q.console.SGB == p.console.SGB &&
             q.console.SGF == p.console.SGF;
    };
    EXPECT_EQ(std::count_if(full.begin(), full.end(), same), 1) << describe(p);
  }
}

// First and last pass of the full grid (tensions change fastest): R =
// ratio x 2 mm, H2 = 2 (1 - r), tensions t x 30 kgf/mm^2, each rounded to
// float; the solvers get those floats widened, not the decimal values.
TEST(StudyGrid, PassValuesAsTheConsoleReadsThem) {
  struct Case {
    size_t index;
    float R, H2, SGB, SGF, U;
  };
  const std::vector<StudyPass> passes = studyPasses(fullStudyGrid());
  const Case cases[] = {{0, 20.0f, 1.9f, 0.0f, 0.0f, 0.03f},
                        {1, 20.0f, 1.9f, 9.0f, 0.0f, 0.03f},
                        {2057, 2000.0f, 1.0f, 18.0f, 18.0f, 0.4f}};
  for (const Case& c : cases) {
    const StudyPass& p = passes[c.index];
    EXPECT_EQ(p.id, static_cast<int>(c.index) + 1);
    EXPECT_EQ(p.console.R, c.R);
    EXPECT_EQ(p.console.H1, 2.0f);
    EXPECT_EQ(p.console.H2, c.H2);
    EXPECT_EQ(p.console.meanYieldStress, 30.0f);
    EXPECT_EQ(p.console.SGB, c.SGB);
    EXPECT_EQ(p.console.SGF, c.SGF);
    EXPECT_EQ(p.console.friction, c.U);
    EXPECT_EQ(p.exact.H2, static_cast<double>(c.H2));  // 1.9 as 1.8999999761581421
    EXPECT_EQ(p.exact.friction, static_cast<double>(c.U));
    EXPECT_EQ(p.exact.backTension, static_cast<double>(c.SGB));
  }
}

}  // namespace
}  // namespace orowan::accuracy
