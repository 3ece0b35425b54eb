// The process-wide analysis record: every field through which the routines
// of the rolling analysis exchange their data. It lives from start-up to exit
// and each pass overwrites what the previous pass left.
#pragma once

#include <cstdint>

#include "analysis/real.h"

namespace orowan {

using Integer = std::int32_t;

constexpr int kHistoryCapacity = 500;  // steps per side
constexpr int kTableCapacity = 50;     // points per property table

// Piecewise-linear property against position; points numbered from 1.
struct PropertyTable {
  Integer count = 0;
  Real positions[kTableCapacity];
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
  // Dialogue fields.
  Real PI;
  Integer ROW_INTERVAL = 0;
  Real R, H1, H2, SGB, SGF;
  Real MEAN_YIELD_STRESS;  // as typed; a null answer keeps the previous pass's
  Real ROLL_DIAMETER, F_EXIT_PLANE, F_ENTRY_PLANE, DH, XL;
  Real CONTACT_ANGLE, ANGLE_STEP;
  Integer REPEAT_ANSWER = 0;

  PropertyTable frictionTable, yieldTable;

  // March state (current section).
  Real PHI, DPHI, X, H, U, RK, A, W, PRESSURE_FACTOR, STICK_TERM;
  Real F, F_NEXT, P, SGX, TAU;
  Integer SL_ST = 0;
  Integer ROW_COUNTER = 0;
  // Position of the section after the exit-side march's last step, for the
  // exit-side load sum when the neutral point is at that last step.
  Real EXIT_X_BEYOND;

  // Step history.
  StepArray EXIT_X, EXIT_PHI, EXIT_F, EXIT_P;
  StepArray ENTRY_X, ENTRY_PHI, ENTRY_F, ENTRY_P;
  Integer EXIT_STEPS = 0, ENTRY_STEPS = 0;

  // Neutral point and load.
  Integer NO_NEUTRAL_POINT = 0, NEUTRAL_STEP = 0;
  Real ENTRY_FORCE_SUM, ENTRY_MOMENT_SUM, EXIT_FORCE_SUM, EXIT_MOMENT_SUM;
  Real ROLLING_FORCE, G, TORQUE_ARM, PM;

  // Summary values.
  Real REDUCTION_RATIO, OM, XN, ON, NEUTRAL_F, NEUTRAL_P;

  // SL/ST of every step of each march, beside the step history.
  IntegerStepArray EXIT_SL_ST, ENTRY_SL_ST;
};

extern AnalysisRecord rec;

}  // namespace orowan
