// Section formulas and slopes of the slab equation, as the console works
// them out, in double precision.
#include "accuracy/slab_model.h"

#include <numbers>

namespace orowan::accuracy {

void raiseFault(FaultKind kind, const char* where) { throw SolverFault{{kind, where}}; }

// Series of 1/x - cot x: x/3 + x^3/45 + 2x^5/945 + x^7/4725 + 2x^9/93555;
// the first omitted term is below 1e-12 of the sum for x < 0.2.
double tangentTerm(double phi) {
  if (phi <= 0.0) return 0.0;
  if (phi < 0.2) {
    const double x2 = phi * phi;
    const double series =
        1.0 / 3.0 +
        x2 * (1.0 / 45.0 + x2 * (2.0 / 945.0 + x2 * (1.0 / 4725.0 + x2 * (2.0 / 93555.0))));
    return phi * series;
  }
  return 1.0 / phi - std::cos(phi) / std::sin(phi);
}

// The console's geometry, with a fault where it would take a negative
// root or divide by zero, and where the reduction exceeds the roll radius
// (the arc of contact would pass the quarter circle).
Geometry contactGeometry(const PassConditions& pass) {
  const double dh = pass.H1 - pass.H2;
  const double XL = checkedSqrt(pass.R * dh - 0.25 * dh * dh, "contact length: H2 above H1");
  const double depth = pass.R - 0.5 * dh;
  if (depth < 0.0) raiseFault(FaultKind::domain, "contact angle: reduction beyond the roll radius");
  return {XL, std::atan(checkedDivide(XL, depth, "contact angle: reduction of twice the radius"))};
}

// RK is 1.15 times the mean yield stress; the console's friction lookup
// takes the absolute value of the coefficient.
SlabModel::SlabModel(const PassConditions& pass)
    : R_(pass.R),
      H2_(pass.H2),
      RK_(1.15 * pass.meanYieldStress),
      U_(std::fabs(pass.friction)),
      c_(1.0 - std::numbers::pi / 4.0) {
  if (U_ == 0.0) raiseFault(FaultKind::divideByZero, "friction coefficient of zero");
  if (RK_ == 0.0) raiseFault(FaultKind::divideByZero, "yield stress of zero");
  inverseRK_ = 1.0 / RK_;
  half_ = 0.5 / U_;
  halfSquared_ = half_ * half_;
  fourC_ = 4.0 * c_;
}

// A = 2B / (1/(2U) + sqrt(1/(4U^2) + 4cB)), B = 1 + stress/RK: the root
// without the cancellation of sqrt(...) - 1/(2U) when 4cB is small.
double SlabModel::slipRootOfStress(double stress) const {
  const double B = 1.0 + stress * inverseRK_;
  const double root = checkedSqrt(halfSquared_ + fourC_ * B, "slip root: tension beyond the yield");
  return 2.0 * B / (half_ + root);
}

Section SlabModel::section(Side side, const Angle& a, double F) const {
  Section s{};
  s.H = thickness(a);
  const double stress = checkedDivide(F, s.H, "F/H: thickness of zero");
  s.A = slipRootOfStress(stress);
  s.contact = s.A < 1.0 ? Contact::slip : Contact::stick;
  complete(side, a, stress, s);
  return s;
}

Section SlabModel::sectionAs(Side side, Contact contact, const Angle& a, double F) const {
  Section s{};
  s.H = thickness(a);
  s.contact = contact;
  const double stress = checkedDivide(F, s.H, "F/H: thickness of zero");
  if (contact == Contact::slip) s.A = slipRootOfStress(stress);
  complete(side, a, stress, s);
  return s;
}

// Slip: P = (RK W + F/H) / (1 + U g), with the positive U on both sides.
// Stick: P = F/H + RK (pi/4 -+ g/2), the sign belonging to the side.
void SlabModel::complete(Side side, const Angle& a, double stress, Section& s) const {
  if (s.contact == Contact::slip) {
    s.W = 1.0 - c_ * s.A * s.A;
    s.P = checkedDivide(RK_ * s.W + stress, 1.0 + U_ * a.g, "slip pressure factor of zero");
    return;
  }
  const double sign = side == Side::exit ? 1.0 : -1.0;
  s.W = std::numbers::pi / 4.0;
  const double factor = s.W - sign * 0.5 * a.g;
  s.stickTerm = a.sin * factor + sign * 0.5 * a.cos;
  s.P = stress + RK_ * factor;
}

// Slip: 2R (W RK + F/H)(sin + u cos) / (1 + u g) with u = +U on the exit
// side and -U on the entry side (the console negates U for its entry step).
// Stick: 2R (stickTerm RK + F sin / H); friction enters through stickTerm.
double SlabModel::slope(Side side, const Section& held, const Angle& a, double F) const {
  const double twoR = 2.0 * R_;
  if (held.contact == Contact::stick) return twoR * (held.stickTerm * RK_ + F * a.sin / held.H);
  const double u = side == Side::exit ? U_ : -U_;
  const double S = a.sin + u * a.cos;
  const double D = 1.0 + u * a.g;
  return checkedDivide(twoR * (held.W * RK_ + F / held.H) * S, D, "slip slope denominator of zero");
}

}  // namespace orowan::accuracy
