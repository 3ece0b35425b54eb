// The accuracy study: every pass of a grid through the console's analysis
// (solvePass, the console's single-precision numbers) and through the
// converged solver, their relative differences, why the large ones are
// large, and the classic formulas against the converged force.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "accuracy/study_grid.h"

namespace orowan::accuracy {

// The quantities compared, in table order.
enum class Quantity { force, torque, torqueArm, meanPressure, neutralAngle, neutralOfContact };
inline constexpr int kQuantityCount = 6;
const char* quantityName(Quantity q);

// How a solver ended a pass: "ok", "no neutral point", "not converged" or
// the fault ("M6103", "fault: domain").
struct Verdict {
  bool ok = false;
  std::string text;
};

// Contact over both converged marches.
enum class ArcContact { slip, stick, mixed };
const char* contactName(ArcContact c);

// The classic formulas' forces, NaN where a formula does not apply or has
// no neutral point.
enum class Formula { ekelund, hill, sims, blandFord };
inline constexpr int kFormulaCount = 4;

// One pass of the study.
struct PassComparison {
  StudyPass pass;
  Verdict console, converged;
  int exitSteps = 0, entrySteps = 0;  // the console's march step counts
  int convergedSteps = 0;             // steps a side of the converged answer
  ArcContact contact = ArcContact::slip;
  double stickShare = 0;  // share of the converged nodes that stick
  // console / converged - 1 for the first five quantities; the neutral
  // angle also as its difference over the contact angle (the sixth).
  std::array<double, kQuantityCount> error{};
  // Parts of the force (index 0) and torque (1) errors: the console's
  // scheme in double on its own (single-precision) grid against the same
  // scheme on exactly 400 equal steps (the step-count part), and the
  // rectangle sums' share estimated from the converged pressures:
  // -dX/2 (2 Pn - P0 - PL) / force, -dX/2 (2 Pn Xn - PL XL) / moment.
  std::array<double, 2> stepCountPart{}, rectanglePart{};
  // Converged force, neutral angle and contact angle; the pressure at the
  // neutral point over the mean (how steep the friction hill is).
  double force = 0, neutralAngle = 0, contactAngle = 0, peakRatio = 0;
  std::array<double, kFormulaCount> formulaForce{};
  // Without tensions: the converged force with the strip sticking over the
  // whole arc (friction 10), what Sims' formula stands for.
  double stickingForce = 0;
};

// Runs one pass through both solvers and the formulas.
PassComparison comparePass(const StudyPass& pass);

// Every pass of the list, on `threads` threads; results in list order.
std::vector<PassComparison> comparePasses(const std::vector<StudyPass>& passes, int threads);

// Median, 95th percentile and largest of the magnitudes of one quantity's
// errors, with the pass of the largest.
struct ErrorSummary {
  int count = 0;
  double median = 0, p95 = 0, max = 0;
  double signedMedian = 0;  // median of the signed errors: the bias
  int worstPass = -1;       // index into the comparisons
};

// Over the passes where both solvers found a neutral point.
ErrorSummary summarize(const std::vector<PassComparison>& passes, Quantity q);

// A fraction as a signed percentage with two decimals: "+0.39 %".
std::string percentText(double fraction);

// The quantile q (0..1) of values sorted ascending: linear between ranks.
double quantile(const std::vector<double>& sorted, double q);

// Why a pass's error of quantity q is what it is, in a few words: the
// 401-step grid's interval counted twice at the neutral point, the
// rectangle sums' first-order error on a steep friction hill, a neutral
// point few steps from the exit plane, or force curves crossing at a
// shallow angle.
std::string explanation(const PassComparison& c, Quantity q);

}  // namespace orowan::accuracy
