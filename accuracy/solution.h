// The inputs of one rolling pass and the answer of a solver, in the units of
// the console's report: mm, rad, kgf/mm^2, kgf/mm (= t/m), t*m/m.
#pragma once

#include <vector>

namespace orowan::accuracy {

// One pass as typed, in double precision. The yield stress of the analysis
// (RK) is 1.15 times the mean yield stress, as in the console.
struct PassConditions {
  double R = 0;                // roll radius, mm
  double H1 = 0, H2 = 0;       // strip thickness before and after the pass, mm
  double meanYieldStress = 0;  // kgf/mm^2
  double backTension = 0;      // SGB, kgf/mm^2, tensile positive
  double frontTension = 0;     // SGF, kgf/mm^2, tensile positive
  double friction = 0;         // Coulomb coefficient; its absolute value is used
};

enum class Status {
  ok,              // neutral point found, loads computed
  noNeutralPoint,  // the two force curves do not meet inside the arc
  notConverged,    // the step cap was reached first; the fields hold the last answer
  fault,           // a domain error or a division by zero; see Solution::fault
};

enum class FaultKind { none, domain, divideByZero, overflow };

// A fault: what went wrong and in which formula (a static text).
struct Fault {
  FaultKind kind = FaultKind::none;
  const char* where = "";
};

// One section of a march: where it is, the force and pressure there, and
// whether the strip slips (1) or sticks (2), as the stress table prints it.
struct StepRecord {
  double X = 0;    // mm from the exit plane
  double phi = 0;  // rad
  double F = 0;    // horizontal force, kgf/mm, compression positive
  double P = 0;    // roll pressure, kgf/mm^2
  int slipStick = 1;
};

struct Solution {
  Status status = Status::fault;
  Fault fault;
  int stepsPerSide = 0;  // of the answer given (the finest grid in converged mode)

  double reductionRatio = 0;   // (H1 - H2) / H1
  double contactLength = 0;    // XL, mm
  double contactAngle = 0;     // rad
  double neutralX = 0;         // XN, mm
  double neutralAngle = 0;     // rad
  double neutralForce = 0;     // F at the neutral point, kgf/mm
  double neutralPressure = 0;  // exit-side pressure at the neutral point, kgf/mm^2
  double meanPressure = 0;     // PM = rolling force / XL, kgf/mm^2
  double rollingForce = 0;     // t/m (numerically kgf/mm)
  double torque = 0;           // both rolls, t*m/m
  double torqueArm = 0;        // mm

  // Every section of both marches, when asked for (exit side from the exit
  // plane, entry side from the entry plane).
  std::vector<StepRecord> exitSteps, entrySteps;
};

}  // namespace orowan::accuracy
