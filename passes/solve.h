// The one place that prepares and solves a pass: a flow curve's yield
// table at the radius solved, the search for the flattened roll radius,
// the check that a full table covers the arc, the values read off the
// pass (flow stress at the planes and over the arc, slips, speeds,
// power), or the converged solver instead of the console's analysis.
#pragma once

#include "passes/request.h"

namespace orowan::passes {

// Solves `request` into `answer` (reset first). `scratch` holds the
// console's pass (some 60 KB; reuse it between passes of a thread): with
// the console's solver answer.pass points into it. Never throws for a
// pass the analysis cannot solve: faults and refusals come back as
// values. Keeping the converged solver's nodes allocates.
void solveRequest(const Request& request, Answer& answer, PassResult& scratch);

// The converged solver's answer as an Answer: its status, fault (under the
// console's M number of its kind), summary in degrees, grid and nodes.
void takeConvergedSolution(accuracy::Solution solution, Answer& answer);

}  // namespace orowan::passes
