// Filling a Solution: the geometry fields, the loads from the force and
// moment integrals, the finiteness check and the fault answer. Internal to
// orowan_accuracy.
#pragma once

#include "accuracy/slab_model.h"

namespace orowan::accuracy {

// Reduction ratio, contact length and angle, step count; status ok.
Solution startSolution(const PassConditions& pass, const Geometry& geometry, int stepsPerSide);

// From force = integral of P dX (kgf/mm = t/m) and moment = integral of
// P X dX (kgf mm/mm) over the arc: torque of both rolls 2 moment / 1000
// (t m/m), torque arm torque 1000 / (2 force) (mm), mean pressure force/XL.
void setLoads(Solution& s, double force, double moment);

// Raises an overflow fault when a result field is not finite.
void requireFinite(const Solution& s);

// The answer for a fault caught at an entry point.
Solution faultSolution(const SolverFault& fault, int stepsPerSide);

}  // namespace orowan::accuracy
