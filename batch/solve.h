// The pass of a prepared job, in the parallel stage: the flow curve's
// yield table at the radius solved, the flattened roll radius when the
// line gives the rolls' modulus, and the values read off the pass (the
// yield stress the strip saw, slips, speeds, power).
#pragma once

#include "batch/job.h"

namespace batch {

// Solves a readable job into job.result and job.values. A curve the yield
// table cannot follow, or a full friction table that ends inside the arc,
// makes the job unreadable with the problem named.
void solveJob(PassJob& job);

}  // namespace batch
