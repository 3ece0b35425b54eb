// The console's slab equations solved to convergence in double precision,
// and the console's own discrete scheme run in double.
//
// Both solve the same equations as the console: the geometry, the section
// formulas (X = R sin phi, H = 2R(1 - cos phi) + H2), the slip test
// (A < 1, A the positive root of c A^2 + A/(2U) = 1 + F/(H RK),
// c = 1 - pi/4), the slip and stick pressures and slopes dF/dphi on both
// sides; RK = 1.15 x mean yield stress; pi and everything else in double.
//
// Converged scheme (solveFixedSteps, solveConverged):
// - both marches on one grid of N equal steps of the contact angle, exit
//   side from 0 up, entry side from the contact angle down;
// - classical fourth-order Runge-Kutta on the state (F, integral of P dX,
//   integral of P X dX), every term at the stage's angle and force, so the
//   loads are integrated to the same fourth order as the force. Classical
//   RK4 rather than the console's own four-stage scheme (fourth order as
//   well): its coefficients are the textbook ones, and the console-scheme
//   mode below keeps the console's, so a mistake in either shows as a
//   disagreement between the two;
// - slip/stick held over a step; where A crosses 1 inside a step the
//   crossing is located (root of A - 1 along a partial step) and the step
//   is finished in the other state, so the jump of the slope costs no order;
// - the neutral point is the first crossing of F_entry - F_exit from the
//   exit plane up, located inside its step by a root search along partial
//   steps of both marches; the loads are split there (exit-side pressure
//   up to it, entry-side pressure beyond). None when the entry curve is
//   already below the exit curve at the exit plane, or never reaches it.
//
// Console scheme (solveConsoleScheme): the console's step count and stop
// rule, its four-stage step with H, W or the stick term held from the
// step's start, its discrete neutral point (first i with
// F_entry(k) - F_exit(i) <= 0, k = entry steps - i + 1, a first pair below
// -0.01 kgf/mm meaning no neutral point) and its rectangle sums.
//
// All functions are reentrant: no shared state, faults come back as values.
#pragma once

#include "accuracy/solution.h"

namespace orowan::accuracy {

struct ConvergedOptions {
  int startSteps = 400;     // steps a side of the first grid
  int maxSteps = 1 << 20;   // no grid finer than this; then Status::notConverged
  double tolerance = 1e-7;  // relative change allowed between two grids
  bool keepSteps = false;   // fill exitSteps and entrySteps
};

// Doubles the steps a side from startSteps until the rolling force, the
// torque (each relative to itself) and the neutral angle (relative to the
// contact angle) change by less than `tolerance` between two grids, and
// answers with the finer grid (no extrapolation).
Solution solveConverged(const PassConditions& pass, const ConvergedOptions& options = {});

// The converged scheme on one grid of stepsPerSide (>= 1) steps a side.
Solution solveFixedSteps(const PassConditions& pass, int stepsPerSide, bool keepSteps = false);

struct ConsoleSchemeOptions {
  int stepsPerSide = 400;  // the console divides the contact angle by 400
  // true: the contact angle, its step and the accumulated angle are rounded
  // to single precision as in the console, whose 400-or-401 step count
  // depends on that rounding (use with <= 25,600 steps: the single-precision
  // sum drifts beyond). false: exact angles (i - 1) x angle / N, N steps.
  bool singlePrecisionGrid = true;
  bool keepSteps = false;
};

// stepsPerSide of the answer: the exit march's step count (the entry
// march's may differ by one on the single-precision grid).
Solution solveConsoleScheme(const PassConditions& pass, const ConsoleSchemeOptions& options = {});

}  // namespace orowan::accuracy
