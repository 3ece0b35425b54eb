// --respect-limits: when the asked distribution puts a stand over one of
// its limits, the distribution nearest the asked ratios that keeps every
// stand within its limits, found by NLopt's COBYLA (constrained,
// derivative-free: a schedule's loads have no derivatives to offer, and
// the console scheme's small jumps would spoil finite differences).
#pragma once

#include "setup/setup.h"

namespace orowan::setup {

// The measure of "nearest": the sum over passes 2..n of the squared
// logarithmic miss ln((L_i / L_1) / (r_i / r_1)), L the loads the
// distribution shares (force, power or relative reduction).
double ratioDistance(const std::vector<PassLine>& lines, const Distribution& d);

// Replaces `setUp`'s lines by the nearest distribution within the limits
// when its lines exceed any (limitsRespected set), or sets its problem
// when the search finds none. Leaves a set-up within its limits as it is.
void respectLimits(const Mill& mill, const Coil& coil, const SetUpOptions& options, PassSolver& solver,
                   SetUp& setUp);

}  // namespace orowan::setup
