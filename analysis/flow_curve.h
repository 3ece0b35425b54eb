// The yield stress along the arc of contact from the strip's flow curve:
// the stress where the strip actually is, from the equivalent strain it has
// there, as a yield table for the library call (PassInput::yieldTable).
#pragma once

#include "analysis/pass.h"

namespace orowan {

// A flow curve: uniaxial flow stress (kgf/mm^2) against equivalent strain.
// Swift: K (EPS0 + e)^N (Hollomon's with EPS0 = 0). Ludwik: S0 + K e^N.
struct FlowCurve {
  enum class Kind { swift, ludwik } kind = Kind::swift;
  double K = 0, N = 0, EPS0 = 0, S0 = 0;
};

// The curve's stress at equivalent strain `strain` (>= 0).
double flowStress(const FlowCurve& curve, double strain);

// The geometry of the arc as the analysis has it: local thickness and the
// strain the strip has at X (mm from the exit plane), bringing
// `strainIn` into the pass: strainIn + (2/sqrt 3) ln(H1 / H(X)), with
// H(X) = H2 + 2R(1 - cos phi), X = R sin phi.
double thicknessAt(double X, float R, float H2);
double strainAt(double X, float R, float H1, float H2, double strainIn);

// The strain the strip leaves the pass with: strainIn + (2/sqrt 3) ln(H1/H2).
double strainOut(float H1, float H2, double strainIn);

// How a table was built: its largest relative error against the curve at
// the midpoints between its positions (what linear interpolation misses).
struct CurveTableFit {
  double worstMidpointError = 0;
  bool withinTolerance = false;  // worstMidpointError <= the tolerance asked
};

// The relative interpolation error the tables aim for: 0.1 % of the stress.
inline constexpr double kCurveTableTolerance = 1e-3;

// Fills `table` with the yield stress RK of the analysis (1.15 times the
// flow stress, both rounded to single precision as the console rounds a
// typed mean yield stress and its factor) at positions from the exit plane
// (X = 0, the first point) to just beyond the entry plane (so that every
// step of both marches lies inside the table), ascending, at most
// kMaxTablePoints of them, placed where the interpolation error is worst
// until it is below `tolerance` at every midpoint. Needs H1 > H2 > 0 and
// R > (H1 - H2) / 2.
CurveTableFit yieldTableFromCurve(const FlowCurve& curve, float R, float H1, float H2,
                                  double strainIn, PropertyPoints& table,
                                  double tolerance = kCurveTableTolerance);

// The mean of the piecewise-linear table over [0, XL]: its integral
// divided by XL (exact for the table the analysis interpolates).
double tableMean(const PropertyPoints& table, double XL);

}  // namespace orowan
