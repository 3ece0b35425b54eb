// The analysis record: every field through which the routines of the
// rolling analysis exchange their data. Each thread has its own, so passes
// may run in several threads at once; each pass overwrites what the
// previous pass of its thread left.
#pragma once

#include <cstdint>

#include "analysis/pass.h"
#include "analysis/real.h"

namespace orowan {

using Integer = std::int32_t;

// The record holds what the library call gives back: a march's steps and
// a table's points.
constexpr int kHistoryCapacity = kMaxSteps;      // steps per side
constexpr int kTableCapacity = kMaxTablePoints;  // points per property table

// Piecewise-linear property against position; points numbered from 1.
struct PropertyTable {
  Integer count = 0;
  Real positions[kTableCapacity];  // mm from the exit plane, ascending
  Real values[kTableCapacity];
};

// One side's step history, indexed by step number from 1 to 500.
struct StepArray {
  Real v[kHistoryCapacity];
  Real& operator()(int i) { return v[i - 1]; }
  const Real& operator()(int i) const { return v[i - 1]; }
};

// One side's slip (1) or stick (2) per step, indexed like StepArray.
struct IntegerStepArray {
  Integer v[kHistoryCapacity] = {};
  Integer& operator()(int i) { return v[i - 1]; }
  const Integer& operator()(int i) const { return v[i - 1]; }
};

enum class Side { exit, entry };

struct AnalysisRecord {
  // ---- inputs and derived geometry
  Real PI;                  // 3.1415927, the single value nearest to pi
  Integer ROW_INTERVAL = 0; // a table row every 10 steps
  Real R;                   // roll radius, mm
  Real H1, H2;              // strip thickness before and after the pass, mm
  Real SGB, SGF;            // back and front tension, kgf/mm^2 (tension positive)
  Real MEAN_YIELD_STRESS;   // as typed; a null answer keeps the previous pass's
  Real ROLL_DIAMETER;       // 2 R, mm
  Real F_EXIT_PLANE;        // -(H2 SGF): horizontal force at the exit plane, kgf/mm
  Real F_ENTRY_PLANE;       // -(H1 SGB): horizontal force at the entry plane, kgf/mm
  Real DH;                  // H1 - H2, mm
  Real XL;                  // contact length (horizontal), mm
  Real CONTACT_ANGLE;       // angle of the arc of contact from the exit plane, rad
  Real ANGLE_STEP;          // CONTACT_ANGLE / 400: the step of both marches, rad
  Integer REPEAT_ANSWER = 0;

  // Friction coefficient U and yield stress RK (1.15 times the typed mean
  // yield stress) against position X.
  PropertyTable frictionTable, yieldTable;

  // ---- march state: the current section, at angle PHI
  Real PHI;              // angle from the exit plane, rad (printed in degrees as O)
  Real DPHI;             // the march's angle step, rad
  Real X;                // R sin PHI: distance from the exit plane, mm
  Real H;                // 2R(1 - cos PHI) + H2: strip thickness, mm
  Real U;                // friction coefficient at X
  Real RK;               // yield stress at X, kgf/mm^2
  Real A;                // positive root of the slip quadratic; below 1 the strip slips
  Real W;                // yield term of the pressure equation
  Real PRESSURE_FACTOR;  // friction correction: divisor (slip) or RK multiplier (stick)
  Real STICK_TERM;       // the force term of the sticking slope
  Real F;                // horizontal force, kgf/mm, compression positive
  Real F_NEXT;           // F at the next section, from the integrator
  Real P;                // roll pressure, kgf/mm^2 (after the loads: the mean pressure)
  Real SGX;              // horizontal stress F / H, kgf/mm^2
  Real TAU;              // shear stress between strip and roll, kgf/mm^2
  Integer SL_ST = 0;     // 1 slips, 2 sticks
  Integer ROW_COUNTER = 0;  // steps since the last table row
  // X of the section after the exit-side march's last step, for the
  // exit-side load sum when the neutral point is at that last step.
  Real EXIT_X_BEYOND;

  // ---- step history: the section at which each step started
  StepArray EXIT_X, EXIT_PHI, EXIT_F, EXIT_P;
  StepArray ENTRY_X, ENTRY_PHI, ENTRY_F, ENTRY_P;
  Integer EXIT_STEPS = 0, ENTRY_STEPS = 0;
  IntegerStepArray EXIT_SL_ST, ENTRY_SL_ST;

  // ---- neutral point and load
  Integer NO_NEUTRAL_POINT = 0;  // 1: the force curves do not meet
  Integer NEUTRAL_STEP = 0;      // exit-side step of the neutral point
  Real ENTRY_FORCE_SUM, ENTRY_MOMENT_SUM, EXIT_FORCE_SUM, EXIT_MOMENT_SUM;
  Real ROLLING_FORCE;  // per unit width, t/m (summary label P)
  Real G;              // torque of both rolls per unit width, t m/m
  Real TORQUE_ARM;     // mm (summary label A)
  Real PM;             // mean roll pressure, kgf/mm^2

  // ---- summary
  Real REDUCTION_RATIO;  // DH / H1 (summary label R)
  Real OM;               // contact angle, degrees
  Real XN;               // neutral point, mm from the exit plane
  Real ON;               // neutral angle, degrees
  Real NEUTRAL_F;        // horizontal force at the neutral point, kgf/mm
  Real NEUTRAL_P;        // roll pressure at the neutral point, kgf/mm^2
};

// Per-thread state of the analysis is declared constinit: no lazy
// initialisation, so an access costs what a plain global's does in the
// program. The benchmarks' comparison build (OROWAN_PLAIN_THREAD_LOCAL)
// drops it, to measure what the lazy-initialisation checks would cost.
#ifdef OROWAN_PLAIN_THREAD_LOCAL
#define OROWAN_THREAD_STATE thread_local
#else
#define OROWAN_THREAD_STATE thread_local constinit
#endif

// The calling thread's record.
extern OROWAN_THREAD_STATE AnalysisRecord rec;

}  // namespace orowan
