// The console's section formulas and slab-equation slopes, in double
// precision: shared by the converged solver and the console-scheme mode.
// Internal to orowan_accuracy.
#pragma once

#include <cmath>

#include "accuracy/solution.h"

namespace orowan::accuracy {

enum class Side { exit, entry };
enum class Contact { slip, stick };

// Thrown inside the library and turned into Solution::fault at its entry
// points; never leaves the library.
struct SolverFault {
  Fault fault;
};

[[noreturn]] void raiseFault(FaultKind kind, const char* where);

// sqrt that reports a negative (or NaN) argument as a domain fault.
inline double checkedSqrt(double x, const char* where) {
  if (!(x >= 0.0)) raiseFault(FaultKind::domain, where);
  return std::sqrt(x);
}

// a / b that reports a zero divisor as a division by zero.
inline double checkedDivide(double a, double b, const char* where) {
  if (b == 0.0) raiseFault(FaultKind::divideByZero, where);
  return a / b;
}

// 1/phi - 1/tan(phi), the tangent term of the pressure factors; 0 at
// phi <= 0 as in the console. A series below 0.2 rad avoids the
// cancellation of the two large reciprocals at small angles.
double tangentTerm(double phi);

// An angle with the trigonometric terms every formula of a section needs.
struct Angle {
  double phi, sin, cos, g;  // g = tangentTerm(phi)
  explicit Angle(double angle)
      : phi(angle), sin(std::sin(angle)), cos(std::cos(angle)), g(tangentTerm(angle)) {}
};

// Everything the console works out at a section before its step: slip or
// stick, the yield term W, the stick term and the roll pressure.
struct Section {
  double H;  // thickness, mm
  double A;  // positive root of the slip quadratic
  Contact contact;
  double W;          // 1 - c A^2 (slip) or pi/4 (stick)
  double stickTerm;  // sin(phi) * pressure factor +- cos(phi)/2 (stick only)
  double P;          // roll pressure, kgf/mm^2
};

// Contact length XL = sqrt(R dh - dh^2/4) and contact angle
// atan(XL / (R - dh/2)), dh = H1 - H2.
struct Geometry {
  double contactLength, contactAngle;
};
Geometry contactGeometry(const PassConditions& pass);

// The pass's constants and the formulas of one section.
class SlabModel {
 public:
  explicit SlabModel(const PassConditions& pass);

  double thickness(const Angle& a) const { return 2.0 * R_ * (1.0 - a.cos) + H2_; }
  double position(const Angle& a) const { return R_ * a.sin; }
  // The positive root A of c A^2 + A/(2U) = 1 + F/(H RK).
  double slipRoot(double F, double H) const {
    return slipRootOfStress(checkedDivide(F, H, "F/H: thickness of zero"));
  }
  // The same from the horizontal stress F/H.
  double slipRootOfStress(double stress) const;
  // The section at (phi, F), slip or stick decided by A < 1.
  Section section(Side side, const Angle& a, double F) const;
  // The same with the state given (the converged solver holds it over a step).
  Section sectionAs(Side side, Contact contact, const Angle& a, double F) const;
  // dF/dphi with H, W or the stick term held from `held` (the console holds
  // them over a step), at stage angle a and stage force F.
  double slope(Side side, const Section& held, const Angle& a, double F) const;

  double R() const { return R_; }
  double RK() const { return RK_; }

 private:
  // W, the stick term and P of a section whose H, A (slip) and contact are set.
  void complete(Side side, const Angle& a, double stress, Section& s) const;

  double R_, H2_, RK_, U_;
  double c_;  // 1 - pi/4
  // Constants of the slip root, worked out once: 1/RK, 1/(2U), 1/(4U^2), 4c.
  double inverseRK_, half_, halfSquared_, fourC_;
};

}  // namespace orowan::accuracy
