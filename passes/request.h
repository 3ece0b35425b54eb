// One pass as a front end asks for it and as it comes back, whichever
// solver ran: the typed values (already single precision, in the
// analysis's units), a yield or friction table or a flow curve and the
// strain the strip brings in, the rolls' elasticity for roll flattening,
// the roll speed, and the solver; back come the status, the fault or the
// refusal as values, the summary values, the steps, the curve's table,
// the flattened radius and its search, slips, speeds and power.
//
// Front ends word what comes back: the batch tool names columns, the
// Python module names arguments. Nothing here writes or formats text but
// the analysis's own fault message.
#pragma once

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "accuracy/solution.h"
#include "analysis/pass.h"
#include "passes/flow_curve.h"
#include "passes/mill.h"
#include "passes/temperature.h"

namespace orowan::passes {

enum class Solver : std::uint8_t {
  console,    // the console's analysis: single precision, 400 or 401 steps a side
  converged,  // the same equations in double, grids doubled until they settle
};

// Poisson's ratio of the rolls when none is given (steel), as the single
// value a typed 0.3 is.
inline constexpr float kDefaultPoissonRatio = 0.3f;

// The shortest text that reads back to the same single value: a number in
// a front end's message.
std::string singleText(double value);

// Adds the point at kTableEnd (analysis/pass.h) holding the last value, when the table has
// room and does not already reach it. A full table must reach past the
// entry plane itself (the solve checks it against the pass's steps).
void holdLastValue(PropertyPoints& table);

struct Request {
  PassInput input;  // analysis units; its table pointers are ignored (below)
  // Instead of the constants: the yield stress RK and the friction
  // coefficient along the arc (the caller keeps them alive).
  const PropertyPoints* yieldTable = nullptr;
  const PropertyPoints* frictionTable = nullptr;
  // A flow curve instead of the mean yield stress (kgf/mm^2), and the
  // strain the strip brings in; strainKnown false: none to carry on (the
  // strain out is then unknown, and a curve cannot be used).
  bool hasCurve = false;
  FlowCurve curve;
  double strainIn = 0;
  bool strainKnown = true;
  Solver solver = Solver::console;
  bool flatten = false;  // solve at the flattened radius of these rolls
  RollElasticity rolls;
  double rollSpeed = NAN;  // m/min; NaN: none given (no speeds, no power)
  bool keepSteps = true;   // the converged solver's nodes (the console's are always in the scratch)
  // A hot pass: the flow stress from a hot law at the strip's temperature
  // and the pass's mean strain rate instead of the mean yield stress or a
  // curve; `temperature` (deg C) when the transfer before the bite starts.
  // Needs a roll speed and a known strain brought in.
  bool hot = false;
  HotMaterial hotMaterial;
  StripHeat heat;
  double temperature = NAN;
};

enum class Status : std::uint8_t {
  ok,                 // the neutral point found, loads and summary computed
  noNeutralPoint,     // the marches do not meet inside the arc
  notConverged,       // converged solver: the finest grid's values
  fault,              // an arithmetic fault ended the pass (Answer::fault)
  noFlattenedRadius,  // the search found none (Answer::flattening): nothing of a pass
  refused,            // the request cannot be solved as asked (Answer::refusal)
  notSolved,          // no solve reached it
};

enum class Refusal : std::uint8_t {
  none,
  curveZeroStress,     // the curve has zero stress at the strain brought in
  curveBeyondSingle,   // its stress is beyond the single-precision range
  curveNotFollowed,    // 50 points cannot follow it (Answer::curveFitError)
  curveWithoutStrain,  // a curve, but the strain brought in is not known
  yieldTableShort,     // a full yield table ends inside the arc (tableEnd, tableXL)
  frictionTableShort,  // a full friction table ends inside the arc
  convergedConstants,  // the converged solver takes no curve, table, flattening or speed
  hotRefused,          // a hot pass's values cannot be used (Answer::hotRefusal)
  hotWithoutSpeed,     // a hot pass, but no roll speed (no strain rate, no contact time)
  hotWithoutStrain,    // a hot pass, but the strain brought in is not known
  hotNotFollowed,      // 50 points cannot follow the hot law (Answer::curveFitError)
};

// The summary values in the report's units (angles in degrees), as the
// solver gave them (the console's single values widened exactly); NaN
// where the pass has none.
struct Summary {
  double reductionRatio = NAN, contactLength = NAN, contactAngle = NAN;
  double neutralPosition = NAN, neutralAngle = NAN, neutralForce = NAN, neutralPressure = NAN;
  double meanRollPressure = NAN, rollingForce = NAN, torque = NAN, torqueArm = NAN;
};

// The values worked out around the pass, in the analysis's units, each
// rounded once to single precision. Which are meaningful: Answer's
// predicates below.
struct PassValues {
  float EPS_IN = 0, EPS_OUT = 0;              // equivalent strain brought in and taken out
  float Y_ENTRY = 0, Y_EXIT = 0, Y_MEAN = 0;  // flow stress at the planes and its mean over the arc
  float R_FLAT = 0, R_FLAT_ITERATIONS = 0, R_FLAT_RESIDUAL = 0;
  float FORWARD_SLIP = 0, BACKWARD_SLIP = 0;
  float V_EXIT = 0, V_ENTRY = 0, POWER = 0;  // m/min, m/min, kW/m
  // A hot pass (Answer::hot): its mean strain rate (1/s), the strip's
  // temperatures (deg C at the entry and exit planes, K of deformation
  // heating and of roll chill) and the hot sizes solved (mm).
  float EPS_RATE_MEAN = 0, T_ENTRY = 0, T_EXIT = 0, T_RISE = 0, T_DROP_ROLL = 0;
  float H1_HOT = 0, H2_HOT = 0;
};

struct Answer {
  Solver solver = Solver::console;
  Status status = Status::notSolved;

  // Status::refused: why, and the numbers the front end's words need.
  Refusal refusal = Refusal::none;
  float tableEnd = 0, tableXL = 0;  // a short table's last position and the arc's length

  // Status::fault: the console's M number, its message and where (stage,
  // march step). The converged solver's faults carry the M number of
  // their kind, stage input, and the formula in convergedWhere. A search
  // for the flattened radius that ended on a fault has it here too.
  Fault fault;
  accuracy::FaultKind convergedFault = accuracy::FaultKind::none;
  const char* convergedWhere = "";

  Summary summary;
  int neutralStep = 0;   // console: exit-side step of the neutral point; 0: none
  int stepsPerSide = 0;  // the converged grid, or the console's exit march; 0 before a geometry

  // The console's pass: every step and stored value, in the caller's
  // scratch (valid until the scratch is used again); nullptr when no
  // console pass is the answer.
  const PassResult* pass = nullptr;
  // The converged solver's nodes, when kept.
  std::vector<accuracy::StepRecord> convergedExit, convergedEntry;

  // A flow curve: the yield table at the radius solved and its worst
  // midpoint error against the curve.
  PropertyPoints curveTable;
  double curveFitError = NAN;

  // Roll flattening: the search (when flattened) and what it found.
  bool flattened = false;
  Flattening flattening;

  bool strainKnown = false;  // values.EPS_IN and EPS_OUT are the strip's
  PassValues values;

  // A hot pass: its thermal values were worked out (values.EPS_RATE_MEAN
  // to H2_HOT; the yield table in curveTable), the published limits of its
  // law broken anywhere along the arc (LimitBit), or why it was refused.
  bool hot = false;
  unsigned hotLimits = 0;
  HotRefusal hotRefusal;
};

// Whether the answer is a pass (solved, not refused, not a search that
// found no flattened radius).
inline bool isPass(const Answer& a) {
  return a.status == Status::ok || a.status == Status::noNeutralPoint ||
         a.status == Status::notConverged || a.status == Status::fault;
}

// The pass got past its geometry: contact length and angle step.
inline bool passedGeometry(const Answer& a) {
  return isPass(a) && (a.status != Status::fault || a.fault.stage > Stage::geometry);
}

// The pass ended with or without a neutral point (its summary).
inline bool hasSummary(const Answer& a) { return isPass(a) && a.status != Status::fault; }

// The neutral point, loads, slips (and with a roll speed, speeds and power).
inline bool hasNeutralPoint(const Answer& a) {
  return a.status == Status::ok || a.status == Status::notConverged;
}

}  // namespace orowan::passes
