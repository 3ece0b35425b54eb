// Hot flow-stress laws of carbon steels and the yield table they give
// along the arc of contact: the stress where the strip is, at the strain
// it has there, the temperature it has there and the pass's mean strain
// rate.
#pragma once

#include <cmath>
#include <functional>

#include "passes/flow_curve.h"
#include "analysis/pass.h"

namespace orowan::passes {

inline constexpr double kPaPerKgfPerMm2 = 9.80665e6;  // 1 kgf/mm^2 in Pa
inline constexpr double kZeroCelsiusInKelvin = 273.15;
inline constexpr double kAbsoluteZeroCelsius = -273.15;
inline constexpr double kCarbonRefusedAbove = 1.5;  // mass %: beyond carbon steels

// The smallest strain a law sees. The laws are power laws in the strain
// and vanish at zero strain, where a real strip yields at a finite stress.
// 0.1 is the base strain the one sourced Hensel-Spittel set was fitted
// with (added to every strain), i.e. the strain that set sees at the start
// of deformation; the same floor is used for the others.
inline constexpr double kDefaultEpsMin = 0.1;

// A closed interval of a law's published validity; infinite ends where
// no limit is published.
struct Range {
  double low = -INFINITY, high = INFINITY;
};

// Where a law was fitted: temperature (deg C), equivalent strain, strain
// rate (1/s) and carbon (mass %).
struct Validity {
  Range temperature, strain, strainRate, carbon;
};

// Hensel-Spittel coefficients: sigma = A e^(m1 T) T^m9 e^m2 e^(m4/e)
// (1+e)^(m5 T + m6) e^(m7 e) r^(m3 + m8 T), T in deg C, e the strain
// plus baseStrain, r the strain rate plus baseStrainRate (the base values
// belong with the set they were fitted with). A in MPa, so sigma in MPa.
struct HenselSpittel {
  double A = 0;       // MPa
  double m[9] = {};   // m[0] = m1 ... m[8] = m9
  double baseStrain = 0, baseStrainRate = 0;
  Validity validity;  // as published with the set (none known: unlimited)
};

// The C45 set of the reference notes (sigma in Pa there, here A in MPa;
// fitted with base strain and base strain rate 0.1). Its validity is not
// in the notes, so it has no limits.
HenselSpittel henselSpittelC45();

enum class FlowLaw : unsigned char { misaka, henselSpittel, shida };

// A strip's hot flow behaviour: the law, its carbon (mass %; Misaka), its
// coefficients (Hensel-Spittel) and the smallest strain the law sees.
struct HotMaterial {
  FlowLaw law = FlowLaw::misaka;
  double carbon = 0;
  HenselSpittel coefficients;
  double epsMin = kDefaultEpsMin;
};

// Misaka and Yoshimoto (1967): flow stress in kgf/mm^2 at temperature T
// (deg C), carbon C (mass %), strain e > 0 and strain rate r > 0, the
// formula as published (T in K inside), no floor.
double misakaStress(double T, double C, double e, double r);

// Shida (1969) as widely restated: flow stress in kgf/mm^2 at T (deg C),
// carbon C (mass %), strain e > 0 and rate r > 0, no floor. With
// t = (T + 273)/1000 and the transformation temperature td = 0.95 (C +
// 0.41)/(C + 0.32): sigma_f = 0.28 exp(5/t - 0.01/(C + 0.05)) above td,
// 0.28 g exp(5/td - 0.01/(C + 0.05)) below it, g = 30 (C + 0.9)
// (t - 0.95 (C + 0.49)/(C + 0.42))^2 + (C + 0.06)/(C + 0.09); times
// 1.3 (e/0.2)^n - 0.3 (e/0.2), n = 0.41 - 0.07 C, and (r/10)^m with m of
// the branch (shidaRateExponent).
double shidaStress(double T, double C, double e, double r);

// Hensel-Spittel in kgf/mm^2 at T (deg C), strain e and rate r, base values
// added, no floor.
double henselSpittelStress(const HenselSpittel& set, double T, double e, double r);

// The strain the law of `m` sees for strain e: never below m.epsMin.
double strainSeen(const HotMaterial& m, double e);

// The flow stress (kgf/mm^2) of `m` at T (deg C), strain e and rate r,
// the strain floored at m.epsMin.
double hotFlowStress(const HotMaterial& m, double T, double e, double r);

// The published validity of the law of `m`: Misaka's as commonly quoted
// (C <= 1.2 %, 750-1200 deg C, strain <= 0.5, rate 30-200 /s); Shida's as
// restated (C 0.07-1.2 %, 700-1200 deg C, strain <= 0.7, rate 0.1-100 /s);
// a Hensel-Spittel set's own.
Validity publishedValidity(const HotMaterial& m);

// Which published limits a point breaks, one bit each.
enum LimitBit : unsigned {
  kTemperatureBelow = 1u << 0, kTemperatureAbove = 1u << 1,
  kStrainBelow = 1u << 2, kStrainAbove = 1u << 3,
  kRateBelow = 1u << 4, kRateAbove = 1u << 5,
  kCarbonBelow = 1u << 6, kCarbonAbove = 1u << 7,
};
unsigned limitsViolated(const Validity& v, double T, double e, double r, double C);

// Why a hot computation cannot be done, with the offending number; a value
// for the front ends to word.
struct HotRefusal {
  enum class Kind : unsigned char {
    none,
    belowAbsoluteZero,  // a temperature below -273.15 deg C
    negativeTime,       // a transfer or descaling time below 0
    carbonOutside,      // carbon outside 0-1.5 mass %
    negativeStrainRate,
    notPositive,        // a thickness, density, heat capacity or speed <= 0
    negativeCoefficient,  // a heat-transfer coefficient below 0
    fractionOutside,    // EMISSIVITY or ETA outside 0-1
    notFinite,          // ALPHA not a finite number
    noArcOfContact,     // H1 > H2 > 0 and R > (H1 - H2)/2 do not hold
    zeroStress,         // the law gives no positive stress somewhere on the arc
    beyondSingle,       // the law's stress is beyond single precision somewhere on the arc
  } kind = Kind::none;
  double value = 0;     // the offending value as given
  explicit operator bool() const { return kind != Kind::none; }
};

// The refusal for a material: carbon outside 0-1.5 %.
HotRefusal checkMaterial(const HotMaterial& m);

// The mean temperature along the arc: the entry value, plus the
// deformation heating in proportion to the strain done so far (heat
// follows the work, at a nearly constant stress), less the roll chill in
// proportion to the time spent in the bite so far ((XL - X)/XL at the
// roll's speed). At the exit plane: entry + rise - drop.
struct ArcTemperature {
  double entry = 0, rise = 0, drop = 0;  // deg C, K, K
  double exit() const { return entry + rise - drop; }
};

// One pass on a hot strip: geometry (hot sizes, mm), the strain brought
// in, the temperature along the arc and the pass's mean strain rate.
struct HotArc {
  float R = 0, H1 = 0, H2 = 0;
  double strainIn = 0;
  ArcTemperature temperature;
  double strainRate = 0;  // 1/s
};

// The temperature (deg C) at X along the arc of `arc`.
double temperatureAt(const HotArc& arc, double X);

// A hot pass's yield table: how it fits, its mean RK over [0, XL] (what
// the analysis integrates, kgf/mm^2), the mean flow stress (RK / 1.15),
// the published limits broken anywhere in the table, and any refusal.
struct HotYieldTable {
  CurveTableFit fit;
  double meanYield = 0, meanFlowStress = 0;
  unsigned limits = 0;
  HotRefusal refusal;
};

// Builds the yield table of `m` along `arc` into `table` (see
// yieldTableAlongArc); refuses bad carbon, a negative rate, a missing arc,
// a temperature below absolute zero and a law without positive stress.
HotYieldTable hotYieldTable(const HotMaterial& m, const HotArc& arc, PropertyPoints& table,
                            double tolerance = kCurveTableTolerance);

}  // namespace orowan::passes
