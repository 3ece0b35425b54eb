// Hot flow-stress laws and their yield tables along the arc of contact.
#include "passes/hot_flow.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "analysis/real.h"

namespace orowan::passes {
namespace {

// Adds `below` or `above` to `bits` when x lies outside `range`.
void outside(const Range& range, double x, unsigned below, unsigned above, unsigned& bits) {
  if (x < range.low) bits |= below;
  if (x > range.high) bits |= above;
}

// Fraction of the pass's strain done at X (0 at entry, 1 at exit).
double strainFraction(const HotArc& arc, double X) {
  const double total = strainOut(arc.H1, arc.H2, 0.0);
  const double done = strainAt(X, arc.R, arc.H1, arc.H2, 0.0);
  return total > 0 ? std::clamp(done / total, 0.0, 1.0) : 1.0;
}

}  // namespace

HenselSpittel henselSpittelC45() {
  HenselSpittel set;
  set.A = 3268.49;  // MPa (3268.49e6 Pa)
  set.m[0] = -0.00267855;  // m1
  set.m[1] = 0.34446;      // m2
  set.m[3] = 0.000551814;  // m4
  set.m[4] = -0.00132042;  // m5
  set.m[6] = 0.0166334;    // m7
  set.m[7] = 0.000149907;  // m8
  set.baseStrain = 0.1;
  set.baseStrainRate = 0.1;
  return set;
}

double misakaStress(double T, double C, double e, double r) {
  const double kelvin = T + kZeroCelsiusInKelvin;
  const double exponent =
      0.126 - 1.75 * C + 0.594 * C * C + (2851.0 + 2968.0 * C - 1120.0 * C * C) / kelvin;
  return std::exp(exponent) * std::pow(e, 0.21) * std::pow(r, 0.13);
}

namespace {

// Shida's reduced temperature (T + 273)/1000 and its transformation value.
double shidaTemperature(double T) { return (T + 273.0) / 1000.0; }
double shidaTransformation(double C) { return 0.95 * (C + 0.41) / (C + 0.32); }

// Shida's strain-rate exponent m on either side of the transformation.
double shidaRateExponent(double t, double C) {
  if (t >= shidaTransformation(C)) return (-0.019 * C + 0.126) * t + (0.075 * C - 0.05);
  return (0.081 * C - 0.154) * t + (-0.019 * C + 0.207) + 0.027 / (C + 0.32);
}

// Shida's deformation resistance at the reference strain 0.2 and rate 10 /s.
double shidaBaseStress(double t, double C) {
  const double td = shidaTransformation(C);
  if (t >= td) return 0.28 * std::exp(5.0 / t - 0.01 / (C + 0.05));
  const double d = t - 0.95 * (C + 0.49) / (C + 0.42);
  const double g = 30.0 * (C + 0.9) * d * d + (C + 0.06) / (C + 0.09);
  return 0.28 * g * std::exp(5.0 / td - 0.01 / (C + 0.05));
}

}  // namespace

double shidaStress(double T, double C, double e, double r) {
  const double t = shidaTemperature(T);
  const double n = 0.41 - 0.07 * C;
  const double strainFactor = 1.3 * std::pow(e / 0.2, n) - 0.3 * (e / 0.2);
  return shidaBaseStress(t, C) * strainFactor * std::pow(r / 10.0, shidaRateExponent(t, C));
}

double henselSpittelStress(const HenselSpittel& s, double T, double e, double r) {
  const double* m = s.m;
  const double strain = e + s.baseStrain, rate = r + s.baseStrainRate;
  // T^m9 only when m9 is used: the power of a temperature <= 0 is not real.
  const double tempPower = m[8] == 0 ? 1.0 : std::pow(T, m[8]);
  const double mpa = s.A * std::exp(m[0] * T) * tempPower * std::pow(strain, m[1]) *
                     std::exp(m[3] / strain) * std::pow(1.0 + strain, m[4] * T + m[5]) *
                     std::exp(m[6] * strain) * std::pow(rate, m[2] + m[7] * T);
  return mpa * 1e6 / kPaPerKgfPerMm2;
}

double strainSeen(const HotMaterial& m, double e) { return std::max(e, m.epsMin); }

double hotFlowStress(const HotMaterial& m, double T, double e, double r) {
  if (m.law == FlowLaw::misaka) return misakaStress(T, m.carbon, strainSeen(m, e), r);
  if (m.law == FlowLaw::shida) return shidaStress(T, m.carbon, strainSeen(m, e), r);
  // The floor applies to the strain the set sees, its base included.
  const double base = m.coefficients.baseStrain;
  return henselSpittelStress(m.coefficients, T, strainSeen(m, e + base) - base, r);
}

Validity publishedValidity(const HotMaterial& m) {
  if (m.law == FlowLaw::henselSpittel) return m.coefficients.validity;
  if (m.law == FlowLaw::shida) return Validity{{700, 1200}, {-INFINITY, 0.7}, {0.1, 100}, {0.07, 1.2}};
  return Validity{{750, 1200}, {-INFINITY, 0.5}, {30, 200}, {-INFINITY, 1.2}};
}

unsigned limitsViolated(const Validity& v, double T, double e, double r, double C) {
  unsigned bits = 0;
  outside(v.temperature, T, kTemperatureBelow, kTemperatureAbove, bits);
  outside(v.strain, e, kStrainBelow, kStrainAbove, bits);
  outside(v.strainRate, r, kRateBelow, kRateAbove, bits);
  outside(v.carbon, C, kCarbonBelow, kCarbonAbove, bits);
  return bits;
}

HotRefusal checkMaterial(const HotMaterial& m) {
  if (!(m.carbon >= 0 && m.carbon <= kCarbonRefusedAbove))
    return {HotRefusal::Kind::carbonOutside, m.carbon};
  return {};
}

// Splits the worst interval until every midpoint is within `tolerance` or
// the table is full; the last point, a little beyond the entry plane,
// repeats the entry plane's value so that the entry march's first section
// (XL to rounding) lies inside.
double temperatureAt(const HotArc& arc, double X) {
  const double XL = contactLength(arc.R, arc.H1, arc.H2);
  const double timeFraction = XL > 0 ? std::clamp((XL - X) / XL, 0.0, 1.0) : 1.0;
  const ArcTemperature& t = arc.temperature;
  return t.entry + t.rise * strainFraction(arc, X) - t.drop * timeFraction;
}

HotYieldTable hotYieldTable(const HotMaterial& m, const HotArc& arc, PropertyPoints& table,
                            double tolerance) {
  HotYieldTable out;
  table.count = 0;
  if (const HotRefusal bad = checkMaterial(m)) return out.refusal = bad, out;
  if (!(arc.strainRate >= 0))
    return out.refusal = {HotRefusal::Kind::negativeStrainRate, arc.strainRate}, out;
  if (!hasArcOfContact(arc.R, arc.H1, arc.H2))
    return out.refusal = {HotRefusal::Kind::noArcOfContact, double(arc.H2)}, out;
  const double XL = contactLength(arc.R, arc.H1, arc.H2);
  auto stressAt = [&](double X) {
    return hotFlowStress(m, temperatureAt(arc, X), strainAt(X, arc.R, arc.H1, arc.H2, arc.strainIn),
                         arc.strainRate);
  };
  out.fit = yieldTableAlongArc(stressAt, XL, table, tolerance);
  const Validity validity = publishedValidity(m);
  for (int k = 0; k < table.count; ++k) {
    const double X = std::min<double>(table.positions[k], XL);
    const double T = temperatureAt(arc, X);
    if (!(T >= kAbsoluteZeroCelsius)) {
      table.count = 0;
      return out.refusal = {HotRefusal::Kind::belowAbsoluteZero, T}, out;
    }
    const double stress = stressAt(X);
    if (!(stress > 0) || !std::isfinite(float(stress))) {
      table.count = 0;
      const auto kind = stress > 0 ? HotRefusal::Kind::beyondSingle : HotRefusal::Kind::zeroStress;
      return out.refusal = {kind, stress}, out;
    }
    const double e = strainAt(X, arc.R, arc.H1, arc.H2, arc.strainIn);
    out.limits |= limitsViolated(validity, T, e, arc.strainRate, m.carbon);
  }
  out.meanYield = tableMean(table, XL);
  out.meanFlowStress = out.meanYield / 1.15;
  return out;
}

}  // namespace orowan::passes
