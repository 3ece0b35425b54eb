// The inverse of a pass: the input that makes the pass meet what a mill
// measured. The friction coefficient for a measured rolling force, a
// factor on the flow stress for it, both from force and forward slip
// together, or the exit thickness a stand takes at a force (its reduction
// at a force limit). Every front end fits through here; each words the
// outcome in its own terms.
//
// The console's scheme makes force and slip piecewise continuous (small
// jumps where the step count or the neutral step changes), so each search
// brackets the target first and closes the bracket with findRoot
// (passes/root_finder.h), which ends on a jump when no single value lies
// between the two sides.
#pragma once

#include <cmath>

#include "passes/request.h"
#include "passes/root_finder.h"

namespace orowan::passes {

enum class FitTarget : unsigned char {
  friction,            // U for the force
  flowFactor,          // a factor on the yield stress (or flow curve) for the force
  frictionAndFactor,   // U for the forward slip, with the factor for the force at each U
  exitThickness,       // H2 for the force
};

struct FitGoal {
  FitTarget target = FitTarget::friction;
  double force = NAN;        // rolling force per unit width, the summary's unit (t/m = kgf/mm)
  double forwardSlip = NAN;  // frictionAndFactor only
  // The search's start: the request's own U and H2, and this factor.
  double startFactor = 1;
  RootOptions root;          // the tolerance on the targets, the evaluation limit
};

enum class FitStatus : unsigned char {
  met,         // every target within the tolerance
  jump,        // ended on a jump of the scheme: the nearer side
  belowRange,  // a target below everything the fitted inputs reach
  aboveRange,  // ... above
  failed,      // no pass with a neutral point to start from, or a solve failed inside
  refused,     // the request cannot be fitted so (FitOutcome::why)
};

struct FitOutcome {
  FitStatus status = FitStatus::failed;
  double U = NAN, factor = NAN, H2 = NAN;  // as the fitted pass took them (U and H2 single values)
  double forceMiss = NAN, slipMiss = NAN;  // (computed - target) / target of the fitted pass
  // Out of range: which target (true: the forward slip) and the range the
  // searched inputs reach over their domain, in the target's unit.
  bool slipOutOfRange = false;
  double rangeLow = NAN, rangeHigh = NAN;
  double lowInput = NAN, highInput = NAN;  // the searched input at the range's ends
  int solves = 0;
  const char* why = "";  // refused: in plain words
};

// The domain each search stays in: friction (0, kMaxFriction], factor
// (0, kMaxFactor], H2 (0, H1).
inline constexpr double kMaxFriction = 1.0;
inline constexpr double kMaxFactor = 100.0;

// Fits `request` to `goal`. On met or jump, `answer` is the fitted pass
// (its pass in `scratch`) and the outcome holds the fitted inputs;
// otherwise `answer` holds the last pass tried, not to be reported. A
// friction table cannot be fitted for U (refused); the factor multiplies
// the constant Y, every value of a yield table, or K and S0 of a flow
// curve.
FitOutcome fitPass(const Request& request, const FitGoal& goal, Answer& answer, PassResult& scratch);

// The request with the flow stress multiplied by `factor` (the table's
// copy in `table`, which must outlive the result's use).
Request withFlowFactor(const Request& request, double factor, PropertyPoints& table);

}  // namespace orowan::passes
