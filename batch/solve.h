// The pass of a prepared job, in the parallel stage: its request solved
// (passes/solve.h) by the run's solver, and a refusal worded as a problem
// of the line's columns.
#pragma once

#include <string_view>

#include "batch/job.h"

namespace orowan::batch {

// Solves a readable job into job.answer. A line the solver cannot take
// (the converged solver with a flow curve, friction table, roll
// flattening or roll speed), a curve the yield table cannot follow, or a
// full friction table that ends inside the arc makes the job unreadable
// with the problem named.
void solveJob(PassJob& job, Solver solver);

// Why no flattened radius was found, for the message column.
std::string flatteningNote(const PassJob& job);

// The shortest text that reads back to the same double.
std::string_view shortestDoubleText(double value, char (&buffer)[32]);

}  // namespace orowan::batch
