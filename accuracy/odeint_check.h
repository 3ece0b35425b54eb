// An independent check of the converged solver: the console's slab
// equations written again, integrated by Boost.Odeint's Dormand-Prince 5(4)
// stepper with error control and dense output, the slip/stick switches
// located as events on the dense output, the neutral point found by root
// search (TOMS 748) on the two dense force curves, and the loads by a
// 31-point Gauss-Kronrod rule on each step of the dense output, cut at the
// neutral point. Shares no code with the solver.
#pragma once

#include "accuracy/solution.h"

namespace orowan::accuracy {

// For passes that the converged solver answers without a fault (it checks
// no inputs); reentrant.
// The pass to a relative tolerance of the integration (the absolute one is
// the tolerance times 1.15 x yield stress x H1, a force scale).
// stepsPerSide of the answer: accepted Dormand-Prince steps, the larger of
// the two marches. exitSteps/entrySteps stay empty.
Solution solveWithOdeint(const PassConditions& pass, double tolerance = 1e-12);

}  // namespace orowan::accuracy
