// Units of the tool's columns. The analysis works in the report's units
// (mm, kgf/mm^2, kgf/mm, t/m, t m/m, degrees); with --units si the loads
// are taken and given in MPa, kN/m and kN m/m instead. One kgf is
// 9.80665 N, and each SI load unit is exactly 9.80665 of the report's:
// 1 kgf/mm^2 = 9.80665 MPa, 1 kgf/mm = 1 t/m = 9.80665 kN/m,
// 1 t m/m = 9.80665 kN m/m.
#pragma once

namespace orowan::batch {

enum class Units { report, si };

enum class UnitKind {
  none,           // ratio, friction coefficient, the stick flag
  length,         // mm
  degrees,        // degrees
  radians,        // rad
  stress,         // kgf/mm^2 or MPa
  forcePerWidth,  // kgf/mm or kN/m
  load,           // t/m or kN/m
  torque,         // t m/m or kN m/m
  speed,          // m/min in both
  power,          // kW/m in both
  word,           // not a number (CURVE, FLOW)
  celsius,        // deg C in both (a hot pass's temperatures)
  kelvin,         // K in both (a temperature change)
  seconds,        // s in both
  heatTransfer,   // W/(m^2 K) in both
  density,        // kg/m^3 in both
  heatCapacity,   // J/(kg K) in both
  perKelvin,      // 1/K in both
  strainRate,     // 1/s in both
};

inline constexpr double kNewtonsPerKgf = 9.80665;

// The unit's name in the given system ("" for none).
const char* unitName(UnitKind kind, Units units);

// A typed input value (already single precision) as the analysis takes
// it: itself in report units; in SI, float(double(value) / 9.80665) for
// the kinds that convert, rounded once to nearest.
float toAnalysis(float value, UnitKind kind, Units units);

// A stored result as the output gives it: itself in report units; in SI,
// float(double(value) * 9.80665) for the kinds that convert (infinity
// beyond the single range, as a store would round).
float toOutput(float value, UnitKind kind, Units units);

// A double result (the converged solver's) as the output gives it: in SI
// times 9.80665 for the kinds that convert, in double.
double toOutputDouble(double value, UnitKind kind, Units units);

}  // namespace orowan::batch
