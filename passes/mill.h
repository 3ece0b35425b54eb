// What a mill engineer reads beside the pass: the elastically flattened
// roll radius (Hitchcock), the forward and backward slip, the strip's
// speeds and the rolling power.
#pragma once

#include <functional>

#include "analysis/pass.h"

namespace orowan::passes {

// The rolls' elastic constants: Young's modulus E (kgf/mm^2) and
// Poisson's ratio NU.
struct RollElasticity {
  double E = 0;
  double NU = 0.3;
};

enum class FlatteningStatus : unsigned char {
  settled,            // R_FLAT satisfies Hitchcock's equation to 1 part in 10^6
  belowMinimumGauge,  // no flattened radius: the force outgrows any radius
  notSettled,         // the iteration reached its limit
  noNeutralPoint,     // at some radius of the search the pass has no neutral point
  fault,              // at some radius of the search the pass faults
};

struct Flattening {
  FlatteningStatus status = FlatteningStatus::fault;
  double R_FLAT = 0;    // mm, the radius the pass was solved with
  int iterations = 0;   // passes solved
  double residual = 0;  // (T(R_FLAT) - R_FLAT) / R_FLAT of the pass at R_FLAT
};

// The most passes one flattened pass may solve.
inline constexpr int kFlatteningLimit = 200;

// The flattened radius R' = T(R') = R (1 + 16 (1 - NU^2) P' / (pi E dh)),
// P' the rolling force per unit width (kgf/mm, which is t/m) of the pass
// solved with R'. T rises with R' and T(R) > R, so the smallest fixed
// point is approached from below: the search steps up from R until
// T(R') < R' brackets it (no bracket up to 1000 R: below minimum gauge),
// then closes the bracket by regula falsi (Illinois) until the residual or
// the bracket's width is below 1 part in 10^7 of R' (so R' changes by less
// than 1 part in 10^6). With a force that is continuous in R' (the
// converged solver) that is a fixed point to 1 part in 10^6. The console's
// scheme is not: its step count flips between 400 and 401 and its neutral
// step moves as the rounding of R' falls, which moves the force by some
// tenths of a per cent between neighbouring radii; the bracket then closes
// on such a jump, and `residual` says how far from a fixed point the
// answer is. `forceAt(radius, force)` solves the pass at `radius` and
// gives its force, or the status that stops the search (fault, no neutral
// point); it is called at most kFlatteningLimit times, the last time at
// the answer.
using ForceAtRadius = std::function<FlatteningStatus(float radius, double& force)>;
Flattening findFlattenedRadius(double R, double dh, const RollElasticity& rolls,
                               const ForceAtRadius& forceAt);

// The same with the library call: `result` holds the pass at R_FLAT (or at
// the radius where the search stopped). E must be positive, 0 <= NU < 0.5
// and H1 > H2.
Flattening solveFlattened(const PassInput& input, const RollElasticity& rolls,
                          PassResult& result);

// Hitchcock's radius for the force `force` (kgf/mm) of a pass with roll
// radius R: R (1 + 16 (1 - NU^2) force / (pi E dh)).
double hitchcockRadius(double R, double force, double dh, const RollElasticity& rolls);

// Slip and speed at the neutral point. The strip moves with the roll's
// horizontal speed there, V cos(phi_n), so by constant volume
// H1 V_ENTRY = H2 V_EXIT = h_n V cos(phi_n), h_n the thickness at the
// neutral point. Forward slip (h_n - H2) / H2 and backward slip
// (H1 - h_n) / H1 (the thickness ratios of the strip's speed to the roll's
// horizontal speed at the neutral point). Power of both rolls per metre
// of width, kW/m: torque (t m/m, 9.80665 kN m/m) times the roll's angular
// speed V / R, with the roll's own (undeformed) radius R: the roll turns
// as a rigid body; flattening only changes the arc of contact.
struct MillOutputs {
  double FORWARD_SLIP = 0, BACKWARD_SLIP = 0;
  double V_EXIT = 0, V_ENTRY = 0;  // m/min, with a roll speed
  double POWER = 0;                // kW/m, with a roll speed
};

// For a pass with a neutral point; `rollSpeed` in m/min (NaN: none given).
MillOutputs millOutputs(const PassInput& input, const PassResult& result, double rollSpeed);

}  // namespace orowan::passes
