// The yield stress along the arc of contact from the strip's flow curve:
// the stress where the strip actually is, from the equivalent strain it has
// there, as a yield table for the library call (PassInput::yieldTable).
#pragma once

#include <functional>

#include "analysis/pass.h"

namespace orowan::passes {

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

// The contact length (mm) of the pass as the analysis's geometry has it.
double contactLength(float R, float H1, float H2);

// Fills `table` with the analysis's yield stress RK (the flow stress
// `stressAt(X)` in kgf/mm^2 rounded to single precision, times 1.15 in
// single precision, rounded again) from X = 0 to just beyond XL, at most
// kMaxTablePoints positions, placed where linear interpolation misses the
// unrounded 1.15 stressAt most, until every midpoint is within `tolerance`;
// the last point repeats the entry plane's value.
CurveTableFit yieldTableAlongArc(const std::function<double(double X)>& stressAt, double XL,
                                 PropertyPoints& table, double tolerance = kCurveTableTolerance);

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

// Whether the pass has an arc of contact for a table to follow: H1 > H2 >
// 0 and R > (H1 - H2) / 2. Without one it faults in its geometry.
bool hasArcOfContact(float R, float H1, float H2);

// Why a curve's table cannot be used: none, the curve's stress is zero at
// the strain the strip brings in (Hollomon's from zero strain), its stress
// is beyond single precision, or 50 points cannot follow it within the
// tolerance.
enum class CurveRefusal : unsigned char { none, zeroStress, beyondSingle, notFollowed };

// Solves `input` at roll radius `radius` with its yield stress from
// `curve` for a strip bringing in `strainIn`; the table is built for that
// radius (the arc, and the strain along it, change with the radius) into
// `table`, and `fit` says how well it follows. Without an arc of contact
// the pass takes the curve's stress at strainIn and faults in its geometry
// as the constant pass would. Returns the refusal, or none with the pass
// in `result`.
CurveRefusal solveWithCurve(const PassInput& input, float radius, const FlowCurve& curve,
                            double strainIn, PropertyPoints& table, PassResult& result,
                            CurveTableFit& fit);

// The farthest position from the exit plane of any step of the pass: a
// table given with all 50 points must reach beyond it, since nothing past
// its last position follows it.
float farthestStep(const PassResult& result);

}  // namespace orowan::passes
