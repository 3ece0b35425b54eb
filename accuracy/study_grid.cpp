// The study's grid of passes.
#include "accuracy/study_grid.h"

#include <charconv>

namespace orowan::accuracy {
namespace {

// The shortest text that reads back to the same double.
std::string shortest(double value) {
  char text[32];
  const auto end = std::to_chars(text, text + sizeof text, value).ptr;
  return std::string(text, end);
}

// A value as the console reads it, and its widened double.
float typed(double value) { return static_cast<float>(value); }

StudyPass makePass(const StudyGrid& grid, int id, double ratio, double reduction, double friction,
                   TensionLevel tension) {
  StudyPass p;
  p.id = id;
  p.radiusRatio = ratio, p.reduction = reduction, p.friction = friction, p.tension = tension;
  const double H1 = grid.entryThickness, Y = grid.yieldStress;
  p.console.R = typed(ratio * H1);
  p.console.H1 = typed(H1);
  p.console.H2 = typed(H1 * (1.0 - reduction));
  p.console.meanYieldStress = typed(Y);
  p.console.SGB = typed(tension.back * Y);
  p.console.SGF = typed(tension.front * Y);
  p.console.friction = typed(friction);
  p.exact = {p.console.R,   p.console.H1,  p.console.H2,      p.console.meanYieldStress,
             p.console.SGB, p.console.SGF, p.console.friction};
  return p;
}

}  // namespace

StudyGrid fullStudyGrid() {
  StudyGrid g;
  g.radiusRatios = {10, 20, 50, 100, 200, 500, 1000};
  g.reductions = {0.05, 0.1, 0.2, 0.3, 0.4, 0.5};
  g.frictions = {0.03, 0.05, 0.08, 0.12, 0.2, 0.3, 0.4};
  g.tensions = {{0, 0}, {0.3, 0}, {0, 0.3}, {0.3, 0.3}, {0.6, 0}, {0, 0.6}, {0.6, 0.6}};
  return g;
}

StudyGrid reducedStudyGrid() {
  StudyGrid g;
  g.radiusRatios = {10, 50, 200, 1000};
  g.reductions = {0.05, 0.2, 0.5};
  g.frictions = {0.03, 0.08, 0.2, 0.4};
  g.tensions = {{0, 0}, {0.3, 0}, {0, 0.6}, {0.6, 0.6}};
  return g;
}

std::vector<StudyPass> studyPasses(const StudyGrid& grid) {
  std::vector<StudyPass> passes;
  int id = 0;
  for (double ratio : grid.radiusRatios)
    for (double reduction : grid.reductions)
      for (double friction : grid.frictions)
        for (const TensionLevel& tension : grid.tensions)
          passes.push_back(makePass(grid, ++id, ratio, reduction, friction, tension));
  return passes;
}

std::string describe(const StudyPass& p) {
  return "R/H1 " + shortest(p.radiusRatio) + ", r " + shortest(p.reduction * 100.0) + " %, U " +
         shortest(p.friction) + ", SGB " + shortest(p.tension.back) + " Y, SGF " +
         shortest(p.tension.front) + " Y";
}

}  // namespace orowan::accuracy
