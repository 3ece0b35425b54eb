// Classic roll-force formulas for flat rolling, each in its published form,
// without roll flattening (R' = R). Forces per unit width come out in the
// unit of the plane-strain yield stress times mm: kgf/mm (= t/m) from
// kgf/mm^2, kN/mm from kN/mm^2.
#pragma once

#include "accuracy/solution.h"

namespace orowan::accuracy {

// What the formulas take. S is the plane-strain yield stress 2k; tensions
// are tensile positive.
struct ClassicInput {
  double R = 0;             // roll radius, mm
  double H1 = 0, H2 = 0;    // entry and exit thickness, mm
  double S = 0;             // plane-strain (constrained) yield stress 2k
  double friction = 0;      // Coulomb coefficient
  double backTension = 0;   // t1, entry side
  double frontTension = 0;  // t2, exit side
};

// The console's inputs mapped: S = 1.15 x mean yield stress, the same
// factor that makes the console's RK (the von Mises ratio 2/sqrt(3) = 1.155
// rounded), so every method works from the same constrained yield stress.
ClassicInput classicInputFrom(const PassConditions& pass);

// Ekelund (1927/1933): P' = L (1 + m)(K + eta eps'), L = sqrt(R dh),
// m = (1.6 mu sqrt(R dh) - 1.2 dh) / (h1 + h2), with K = S. The viscous
// term eta x mean strain rate is `viscousStress` (same unit as S); 0 for
// the static form. No tensions.
double ekelundForce(const ClassicInput& in, double viscousStress = 0.0);

// Ekelund's mean strain rate 2 v sqrt(dh/R) / (h1 + h2), 1/s, for a roll
// surface speed v in mm/s.
double ekelundStrainRate(const ClassicInput& in, double rollSpeed);

// Hill (1950): P' = S sqrt(R dh)(1.08 + 1.79 r mu sqrt(R/h1) - 1.02 r),
// r = dh/h1, h1 the entry thickness. No tensions.
double hillForce(const ClassicInput& in);

// Force, neutral angle (rad) and torque of both rolls (force x mm, divided
// by 1000: t*m/m from kgf/mm^2). NaN where the method has no neutral point
// inside the arc.
struct ClassicResult {
  double force, neutralAngle, torque;
};

// Sims (1954), sticking friction (no mu, no tensions): P' = S sqrt(R dh) Q_p
// with Sims' closed-form Q_p and neutral angle; torque per roll
// R^2 S (alpha/2 - phi_n), alpha = sqrt(dh/R).
ClassicResult simsResult(const ClassicInput& in);

// Bland and Ford (1948), small angles, parabolic gap h = h2 + R phi^2,
// constant S: p+ = S (h/h2)(1 - t2/S) exp(mu H), p- = S (h/h1)(1 - t1/S)
// exp(mu (H1 - H)), H = 2 sqrt(R/h2) atan(sqrt(R/h2) phi); force
// R (integral of p+ to phi_n + integral of p- beyond), torque per roll
// mu R^2 (integral of p- - integral of p+), integrals by Simpson's rule on
// 2,000 panels a side.
ClassicResult blandFordResult(const ClassicInput& in);

}  // namespace orowan::accuracy
