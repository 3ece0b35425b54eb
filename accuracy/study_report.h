// The study's tables as markdown: the console against the converged
// solver, where its errors come from, its largest errors, the passes
// without a comparison, the observed orders, the classic formulas and the
// textbook pass.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "accuracy/study.h"
#include "accuracy/study_charts.h"

namespace orowan::accuracy {

// One method's answer for the textbook pass 6 -> 4.8 mm, roll diameter
// 400 mm, typed mean yield stress 66.50 kgf/mm^2, friction 0.1.
struct TextbookRow {
  std::string method;
  double force = 0;         // t/m
  double neutralAngle = 0;  // rad; NaN where the method gives none
};

// The book's approximate solution, the console (solvePass), the converged
// solver and each formula.
std::vector<TextbookRow> textbookRows();

struct StudyReport {
  std::string command;  // how the tables were made
  StudyGrid grid;
  std::vector<PassComparison> passes;
  std::vector<ConvergencePass> convergence;
};

// The whole study as one markdown page.
void writeStudyMarkdown(std::ostream& out, const StudyReport& report);

// Every pass as one CSV line: levels, verdicts, step counts, errors, parts
// and the formulas' forces.
void writeStudyCsv(std::ostream& out, const std::vector<PassComparison>& passes);

}  // namespace orowan::accuracy
