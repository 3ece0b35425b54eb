// Requests to answers: the library call with a flow curve's table, roll
// flattening and the mill's values around it, or the converged solver.
#include "passes/solve.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numbers>

#include "accuracy/converged.h"
#include "analysis/fault.h"
#include "passes/hot_pass.h"
#include "passes/shortest_chars.h"

namespace orowan::passes {
namespace {

// An angle of the converged solver in degrees, rounded as the batch tool
// has always given it (times 180, then divided by pi).
double degrees(double radians) { return radians * 180.0 / std::numbers::pi; }

void refuse(Answer& answer, Refusal why) {
  answer.status = Status::refused;
  answer.refusal = why;
}

Refusal refusalOf(CurveRefusal why) {
  switch (why) {
    case CurveRefusal::zeroStress: return Refusal::curveZeroStress;
    case CurveRefusal::beyondSingle: return Refusal::curveBeyondSingle;
    case CurveRefusal::notFollowed: return Refusal::curveNotFollowed;
    case CurveRefusal::none: break;
  }
  return Refusal::none;
}

// The request's input with its tables in place.
PassInput inputOf(const Request& request) {
  PassInput in = request.input;
  in.yieldTable = request.yieldTable;
  in.frictionTable = request.frictionTable;
  return in;
}

// Solves the pass at `radius` into `scratch`, a flow curve's yield table
// built for that radius into answer.curveTable; false (the answer
// refused) when the table cannot follow the curve.
bool solveAt(const Request& request, Answer& answer, float radius, PassResult& scratch) {
  PassInput at = inputOf(request);
  if (request.hot) {
    if (!prepareHotPass(request, answer, radius, at)) return false;
    solvePass(at, scratch);
    return true;
  }
  if (!request.hasCurve) {
    at.R = radius;
    solvePass(at, scratch);
    return true;
  }
  CurveTableFit fit;
  const CurveRefusal why =
      solveWithCurve(at, radius, request.curve, request.strainIn, answer.curveTable, scratch, fit);
  answer.curveFitError = fit.worstMidpointError;
  if (why != CurveRefusal::none) return refuse(answer, refusalOf(why)), false;
  return true;
}

// Hitchcock's radius by the library's search, the pass (and a curve's
// table) solved anew at every radius it tries; the scratch ends with the
// pass at the last radius tried.
void solveFlattenedPass(const Request& request, Answer& answer, PassResult& scratch) {
  bool refused = false;
  const ForceAtRadius forceAt = [&](float radius, double& force) {
    if (!solveAt(request, answer, radius, scratch)) return refused = true, FlatteningStatus::fault;
    force = scratch.ROLLING_FORCE;
    if (scratch.outcome == Outcome::neutralPoint) return FlatteningStatus::settled;
    return scratch.outcome == Outcome::fault ? FlatteningStatus::fault : FlatteningStatus::noNeutralPoint;
  };
  const PassInput sized = hotSized(request, answer);  // a hot pass's sizes, worked out before
  const double dh = double(sized.H1) - double(sized.H2);
  answer.flattening = findFlattenedRadius(request.input.R, dh, request.rolls, forceAt);
  if (refused) return;
  answer.flattened = true;
  const Flattening& f = answer.flattening;
  answer.values.R_FLAT_ITERATIONS = static_cast<float>(f.iterations);
  if (f.status == FlatteningStatus::settled) {
    answer.values.R_FLAT = static_cast<float>(f.R_FLAT);
    answer.values.R_FLAT_RESIDUAL = static_cast<float>(f.residual);
  } else if (f.iterations > 1 || f.status == FlatteningStatus::belowMinimumGauge ||
             f.status == FlatteningStatus::notSettled) {
    answer.status = Status::noFlattenedRadius;  // else the pass at R itself is the answer
    if (f.status == FlatteningStatus::fault) answer.fault = scratch.fault;  // the radius that faulted
  }
}

// A full table (50 points) gets no point past its end: every step of both
// marches must lie before its last position. False (refused) when not.
bool tableCovers(const PropertyPoints* table, Refusal short_, const PassResult& r, Answer& answer) {
  if (table == nullptr || table->count < kMaxTablePoints) return true;
  const float last = table->positions[table->count - 1];
  if (farthestStep(r) < last) return true;
  answer.tableEnd = last;
  answer.tableXL = r.XL;
  refuse(answer, short_);
  return false;
}

// The flow stress at the entry and exit planes, from the strain the strip
// has there; for a constant input the typed mean yield stress.
void setPlaneStresses(const Request& request, Answer& answer) {
  PassValues& v = answer.values;
  if (!request.hasCurve) {
    v.Y_ENTRY = v.Y_EXIT = request.input.meanYieldStress;
    return;
  }
  const double exitStrain = strainOut(request.input.H1, request.input.H2, v.EPS_IN);
  v.Y_ENTRY = static_cast<float>(flowStress(request.curve, v.EPS_IN));
  v.Y_EXIT = static_cast<float>(flowStress(request.curve, exitStrain));
}

// The mean flow stress over the arc: the curve's stress at the yield
// table's positions (the table RK is 1.15 times it), integrated as the
// analysis interpolates it and divided by XL.
void setMeanStress(const Request& request, Answer& answer, float radius, const PassResult& r) {
  PassValues& v = answer.values;
  if (request.hot) return setHotStresses(request, answer, r.XL);
  if (!request.hasCurve || answer.curveTable.count == 0) {
    v.Y_MEAN = request.hasCurve ? v.Y_ENTRY : request.input.meanYieldStress;
    return;
  }
  const PassInput& in = request.input;
  PropertyPoints stress = answer.curveTable;
  for (int k = 0; k + 1 < stress.count; ++k) {
    const double strain = strainAt(stress.positions[k], radius, in.H1, in.H2, v.EPS_IN);
    stress.values[k] = static_cast<float>(flowStress(request.curve, strain));
  }
  stress.values[stress.count - 1] = stress.values[stress.count - 2];  // the guard repeats the entry
  v.Y_MEAN = static_cast<float>(tableMean(stress, r.XL));
}

// Slips, and with a roll speed the strip's speeds and the power.
void setMillValues(const Request& request, const Answer& answer, const PassResult& r, PassValues& v) {
  const MillOutputs out = millOutputs(request.hot ? hotSized(request, answer) : request.input, r,
                                     request.rollSpeed);
  v.FORWARD_SLIP = static_cast<float>(out.FORWARD_SLIP);
  v.BACKWARD_SLIP = static_cast<float>(out.BACKWARD_SLIP);
  if (std::isnan(request.rollSpeed)) return;
  v.V_EXIT = static_cast<float>(out.V_EXIT);
  v.V_ENTRY = static_cast<float>(out.V_ENTRY);
  v.POWER = static_cast<float>(out.POWER);
}

// The console's pass as the answer: status, fault, summary and steps.
void takeConsolePass(const PassResult& r, Answer& answer) {
  answer.pass = &r;
  if (r.exit.steps > 0) answer.stepsPerSide = r.exit.steps;
  Summary& s = answer.summary;
  if (r.outcome == Outcome::fault) {
    answer.status = Status::fault;
    answer.fault = r.fault;
    if (r.fault.stage > Stage::geometry) s.contactLength = r.XL;
    return;
  }
  s.reductionRatio = r.REDUCTION_RATIO, s.contactLength = r.XL, s.contactAngle = r.OM;
  if (r.outcome == Outcome::noNeutralPoint) {
    answer.status = Status::noNeutralPoint;
    return;
  }
  answer.status = Status::ok;
  s.neutralPosition = r.XN, s.neutralAngle = r.ON;
  s.neutralForce = r.NEUTRAL_F, s.neutralPressure = r.NEUTRAL_P;
  s.meanRollPressure = r.PM, s.rollingForce = r.ROLLING_FORCE;
  s.torque = r.G, s.torqueArm = r.TORQUE_ARM;
  answer.neutralStep = r.NEUTRAL_STEP;
}

void solveConsole(const Request& request, Answer& answer, PassResult& scratch) {
  setPlaneStresses(request, answer);
  if (request.hot && request.flatten) {  // the hot sizes for the search, and an early refusal
    PassInput first = inputOf(request);
    if (!prepareHotPass(request, answer, request.input.R, first)) return;
  }
  if (request.flatten) solveFlattenedPass(request, answer, scratch);
  else solveAt(request, answer, request.input.R, scratch);
  if (answer.status == Status::refused) return;
  if (!tableCovers(request.yieldTable, Refusal::yieldTableShort, scratch, answer) ||
      !tableCovers(request.frictionTable, Refusal::frictionTableShort, scratch, answer))
    return;
  if (answer.status == Status::noFlattenedRadius) {
    if (answer.hot) setHotStresses(request, answer, scratch.XL);
    return;
  }
  takeConsolePass(scratch, answer);
  const bool flattened = answer.flattened && answer.flattening.status == FlatteningStatus::settled;
  setMeanStress(request, answer, flattened ? static_cast<float>(answer.flattening.R_FLAT) : request.input.R,
                scratch);
  if (answer.status == Status::ok) setMillValues(request, answer, scratch, answer.values);
}

// The converged solver's fault kinds under the console's M numbers.
int faultNumberOf(accuracy::FaultKind kind) {
  switch (kind) {
    case accuracy::FaultKind::domain: return kDomainError;
    case accuracy::FaultKind::overflow: return kOverflow;
    case accuracy::FaultKind::divideByZero:
    case accuracy::FaultKind::none: break;
  }
  return kDivideByZero;
}

// The converged solver on the same single-precision inputs, widened.
void solveByConverged(const Request& request, Answer& answer) {
  const PassInput& in = request.input;
  answer.values.Y_ENTRY = answer.values.Y_EXIT = in.meanYieldStress;
  const accuracy::PassConditions pass{in.R, in.H1, in.H2, in.meanYieldStress, in.SGB, in.SGF, in.friction};
  accuracy::ConvergedOptions options;
  options.keepSteps = request.keepSteps;
  takeConvergedSolution(accuracy::solveConverged(pass, options), answer);
}

// The strain the strip brings in and takes out, when both are known.
void setStrains(const Request& request, Answer& answer) {
  const PassInput& in = request.input;
  answer.strainKnown = request.strainKnown && in.H2 > 0 && in.H1 >= in.H2 && request.strainIn >= 0;
  answer.values.EPS_IN = static_cast<float>(request.strainIn);
  if (answer.strainKnown) answer.values.EPS_OUT = static_cast<float>(strainOut(in.H1, in.H2, request.strainIn));
}

}  // namespace

void takeConvergedSolution(accuracy::Solution s, Answer& answer) {
  answer.solver = Solver::converged;
  if (s.status == accuracy::Status::fault) {
    answer.status = Status::fault;
    answer.fault.number = faultNumberOf(s.fault.kind);
    answer.convergedFault = s.fault.kind;
    answer.convergedWhere = s.fault.where;
    return;
  }
  answer.status = s.status == accuracy::Status::ok               ? Status::ok
                  : s.status == accuracy::Status::noNeutralPoint ? Status::noNeutralPoint
                                                                 : Status::notConverged;
  answer.stepsPerSide = s.stepsPerSide;
  Summary& m = answer.summary;
  m.reductionRatio = s.reductionRatio, m.contactLength = s.contactLength;
  m.contactAngle = degrees(s.contactAngle);
  if (hasNeutralPoint(answer)) {
    m.neutralPosition = s.neutralX, m.neutralAngle = degrees(s.neutralAngle);
    m.neutralForce = s.neutralForce, m.neutralPressure = s.neutralPressure;
    m.meanRollPressure = s.meanPressure, m.rollingForce = s.rollingForce;
    m.torque = s.torque, m.torqueArm = s.torqueArm;
  }
  answer.convergedExit = std::move(s.exitSteps);
  answer.convergedEntry = std::move(s.entrySteps);
}

std::string singleText(double value) {
  char buffer[32];
  const auto end = passes::toShortestChars(buffer, buffer + sizeof buffer, static_cast<float>(value)).ptr;
  return std::string(buffer, end);
}

void holdLastValue(PropertyPoints& table) {
  const int n = table.count;
  if (n == 0 || n >= kMaxTablePoints || !(table.positions[n - 1] < kTableEnd)) return;
  table.positions[n] = kTableEnd;
  table.values[n] = table.values[n - 1];
  ++table.count;
}

void solveRequest(const Request& request, Answer& answer, PassResult& scratch) {
  answer = Answer{};
  answer.solver = request.solver;
  setStrains(request, answer);
  if (request.hasCurve && !request.strainKnown) return refuse(answer, Refusal::curveWithoutStrain);
  if (request.hot && request.solver == Solver::console) {
    if (std::isnan(request.rollSpeed) || !(request.rollSpeed > 0))
      return refuse(answer, Refusal::hotWithoutSpeed);
    if (!request.strainKnown) return refuse(answer, Refusal::hotWithoutStrain);
  }
  if (request.solver == Solver::console) return solveConsole(request, answer, scratch);
  if (request.hasCurve || request.hot || request.yieldTable || request.frictionTable || request.flatten ||
      !std::isnan(request.rollSpeed))
    return refuse(answer, Refusal::convergedConstants);
  solveByConverged(request, answer);
}

}  // namespace orowan::passes
