// The passes of the accuracy study: a full factorial grid over roll radius
// to entry thickness, reduction, friction and the two tensions, each pass
// held as the console would read it (single-precision values) and as the
// double-precision solvers take it (the same values widened).
#pragma once

#include <string>
#include <vector>

#include "accuracy/solution.h"
#include "analysis/pass.h"

namespace orowan::accuracy {

// Back and front tension as fractions of the typed mean yield stress.
struct TensionLevel {
  double back = 0, front = 0;
};

// The levels of each factor. The entry thickness and the yield stress are
// fixed: every result the study compares is relative, and the equations
// depend on R, H2 and the tensions only through R/H1, H2/H1 and SG/Y.
struct StudyGrid {
  double entryThickness = 2.0;  // mm
  double yieldStress = 30.0;    // typed mean yield stress, kgf/mm^2
  std::vector<double> radiusRatios;  // R / H1
  std::vector<double> reductions;    // (H1 - H2) / H1
  std::vector<double> frictions;
  std::vector<TensionLevel> tensions;
};

// 7 x 6 x 7 x 7 = 2,058 passes: R/H1 10-1000, reductions 5-50 %, friction
// 0.03-0.4, tensions 0-60 % of the yield stress on either side or both.
StudyGrid fullStudyGrid();

// 4 x 3 x 4 x 4 = 192 passes, every level also one of the full grid's, for
// the tests: seconds, not minutes.
StudyGrid reducedStudyGrid();

// One pass of the grid, with its levels for grouping the results.
struct StudyPass {
  int id = 0;  // 1-based, in grid order
  double radiusRatio = 0, reduction = 0, friction = 0;
  TensionLevel tension;
  orowan::PassInput console;  // as typed: each value rounded once to float
  PassConditions exact;       // the same floats in double
};

// Every combination of the grid's levels, the last factor (tensions)
// changing fastest.
std::vector<StudyPass> studyPasses(const StudyGrid& grid);

// "R/H1 100, r 30 %, U 0.12, SGB 0.3 Y, SGF 0 Y": a pass for tables.
std::string describe(const StudyPass& pass);

}  // namespace orowan::accuracy
