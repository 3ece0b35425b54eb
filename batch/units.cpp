// Conversions between the report's units and SI: one multiplication or
// division in double, one rounding to single precision.
#include "batch/units.h"

#include <cmath>

namespace orowan::batch {
namespace {

bool converts(UnitKind kind) {
  return kind == UnitKind::stress || kind == UnitKind::forcePerWidth || kind == UnitKind::load ||
         kind == UnitKind::torque;
}

// A double rounded to single precision as a store would: beyond the
// largest single it becomes infinity (the cast itself would be undefined).
float roundToSingle(double value) {
  constexpr double kOverflowEdge = 0x1.ffffffp127;  // halfway to 2^128
  if (std::fabs(value) >= kOverflowEdge) return value > 0 ? INFINITY : -INFINITY;
  return static_cast<float>(value);
}

}  // namespace

const char* unitName(UnitKind kind, Units units) {
  const bool si = units == Units::si;
  switch (kind) {
    case UnitKind::none: return "";
    case UnitKind::length: return "mm";
    case UnitKind::degrees: return "degree";
    case UnitKind::radians: return "rad";
    case UnitKind::stress: return si ? "MPa" : "kgf/mm2";
    case UnitKind::forcePerWidth: return si ? "kN/m" : "kgf/mm";
    case UnitKind::load: return si ? "kN/m" : "t/m";
    case UnitKind::torque: return si ? "kN-m/m" : "t-m/m";
    case UnitKind::speed: return "m/min";
    case UnitKind::power: return "kW/m";
    case UnitKind::word: return "";
    case UnitKind::celsius: return "degC";
    case UnitKind::kelvin: return "K";
    case UnitKind::seconds: return "s";
    case UnitKind::heatTransfer: return "W/(m2 K)";
    case UnitKind::density: return "kg/m3";
    case UnitKind::heatCapacity: return "J/(kg K)";
    case UnitKind::perKelvin: return "1/K";
    case UnitKind::strainRate: return "1/s";
  }
  return "";
}

float toAnalysis(float value, UnitKind kind, Units units) {
  if (units == Units::report || !converts(kind)) return value;
  return roundToSingle(static_cast<double>(value) / kNewtonsPerKgf);
}

float toOutput(float value, UnitKind kind, Units units) {
  if (units == Units::report || !converts(kind) || !std::isfinite(value)) return value;
  return roundToSingle(static_cast<double>(value) * kNewtonsPerKgf);
}

double toOutputDouble(double value, UnitKind kind, Units units) {
  return units == Units::si && converts(kind) ? value * kNewtonsPerKgf : value;
}

}  // namespace orowan::batch
