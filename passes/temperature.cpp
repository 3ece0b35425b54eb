// The strip's mean temperature through a transfer, descaling and the bite.
#include "passes/temperature.h"

#include <cmath>
#include <boost/numeric/odeint.hpp>

#include "passes/strain_rate.h"

namespace orowan::passes {
namespace {

using Kind = HotRefusal::Kind;

double kelvin(double T) { return T + kZeroCelsiusInKelvin; }

// The first of the values below zero, as a refusal of `kind`.
HotRefusal firstNegative(std::initializer_list<double> values, Kind kind) {
  for (double v : values)
    if (!(v >= 0)) return {kind, v};
  return {};
}

// The heat capacity per unit area of both faces' loss: rho c H / 2 (J/(m^2 K)).
double capacityPerFace(double H, double rho, double cp) { return rho * cp * H * 1e-3 / 2; }

}  // namespace

HotRefusal checkHeat(const StripHeat& h) {
  if (HotRefusal r = firstNegative({h.TRANSFER, h.DESCALE}, Kind::negativeTime)) return r;
  for (double T : {h.T_AMBIENT, h.T_ROLL})
    if (!(T >= kAbsoluteZeroCelsius)) return {Kind::belowAbsoluteZero, T};
  for (double v : {h.RHO, h.CP})
    if (!(v > 0)) return {Kind::notPositive, v};
  if (HotRefusal r = firstNegative({h.H_CONV, h.H_WATER, h.H_CONTACT}, Kind::negativeCoefficient)) return r;
  for (double f : {h.EMISSIVITY, h.ETA})
    if (!(f >= 0 && f <= 1)) return {Kind::fractionOutside, f};
  if (!std::isfinite(h.ALPHA)) return {Kind::notFinite, h.ALPHA};
  return {};
}

double hotThickness(double H, double alpha, double T) { return H * (1 + alpha * (T - 20)); }

double hotDensity(double rho, double alpha, double T) {
  const double linear = 1 + alpha * (T - 20);
  return rho / (linear * linear * linear);
}

double airCooled(double T0, double seconds, double H, const StripHeat& h) {
  namespace odeint = boost::numeric::odeint;
  const double capacity = capacityPerFace(H, h.RHO, h.CP);
  const double ambient4 = std::pow(kelvin(h.T_AMBIENT), 4);
  const double ambient = kelvin(h.T_AMBIENT);
  auto rate = [&](const double& T, double& dTdt, double) {
    dTdt = -(h.EMISSIVITY * kStefanBoltzmann * (T * T * T * T - ambient4) + h.H_CONV * (T - ambient)) /
           capacity;
  };
  double T = kelvin(T0);
  if (seconds <= 0) return T0;
  using Stepper = odeint::runge_kutta_dopri5<double, double, double, double,
                                             odeint::vector_space_algebra>;
  odeint::integrate_adaptive(odeint::make_controlled<Stepper>(1e-12, 1e-10), rate, T, 0.0,
                             seconds, seconds / 100);
  return T - kZeroCelsiusInKelvin;
}

double waterCooled(double T0, double seconds, double H, const StripHeat& h) {
  const double decay = std::exp(-h.H_WATER * seconds / capacityPerFace(H, h.RHO, h.CP));
  return h.T_AMBIENT + (T0 - h.T_AMBIENT) * decay;
}

double deformationHeating(double Y, double strainStep, double rho, const StripHeat& h) {
  return h.ETA * Y * kPaPerKgfPerMm2 * strainStep / (rho * h.CP);
}

// With k = h / (rho c H / 2) and a heating rate q = rise / t:
// T(t) = T_roll + (T0 - T_roll) e^(-kt) + (q/k)(1 - e^(-kt)).
ArcTemperature biteTemperatures(double T_entry, double rise, double contactTime, double H,
                                double rho, const StripHeat& h) {
  const double kt = h.H_CONTACT * contactTime / capacityPerFace(H, rho, h.CP);
  const double kept = std::exp(-kt);
  // (1 - e^-kt)/kt without cancellation; 1 when there is no chill.
  const double spread = kt > 0 ? -std::expm1(-kt) / kt : 1.0;
  const double exit = h.T_ROLL + (T_entry - h.T_ROLL) * kept + rise * spread;
  return {T_entry, rise, T_entry + rise - exit};
}

HotPassResult solveHotPass(const HotPassInput& in, PropertyPoints& table) {
  HotPassResult out;
  table.count = 0;
  const StripHeat& heat = in.heat;
  if (HotRefusal r = checkHeat(heat)) return out.refusal = r, out;
  if (HotRefusal r = checkMaterial(in.material)) return out.refusal = r, out;
  if (!(in.T >= kAbsoluteZeroCelsius)) return out.refusal = {Kind::belowAbsoluteZero, in.T}, out;
  if (!(in.V > 0)) return out.refusal = {Kind::notPositive, in.V}, out;
  const double H1start = hotThickness(in.H1, heat.ALPHA, in.T);
  if (!(H1start > 0)) return out.refusal = {Kind::notPositive, H1start}, out;
  const double rhoStart = hotDensity(heat.RHO, heat.ALPHA, in.T);
  StripHeat atStart = heat;
  atStart.RHO = rhoStart;
  out.T_ENTRY = waterCooled(airCooled(in.T, heat.TRANSFER, H1start, atStart), heat.DESCALE,
                            H1start, atStart);

  out.H1 = static_cast<float>(hotThickness(in.H1, heat.ALPHA, out.T_ENTRY));
  out.H2 = static_cast<float>(hotThickness(in.H2, heat.ALPHA, out.T_ENTRY));
  if (!hasArcOfContact(in.R, out.H1, out.H2))
    return out.refusal = {Kind::noArcOfContact, double(out.H2)}, out;
  const double v = rollSpeed(in.V);
  out.XL = contactLength(in.R, out.H1, out.H2);
  out.contactTime = out.XL / v;
  out.EPS_RATE_MEAN =
      meanStrainRate(in.strainIn, strainOut(out.H1, out.H2, in.strainIn), v, out.XL);
  const double rho = hotDensity(heat.RHO, heat.ALPHA, out.T_ENTRY);
  const double Hmean = (double(out.H1) + out.H2) / 2;
  const double strainStep = strainOut(out.H1, out.H2, 0.0);

  HotArc arc{in.R, out.H1, out.H2, in.strainIn, {out.T_ENTRY, 0, 0}, out.EPS_RATE_MEAN};
  double previousExit = NAN;
  for (out.iterations = 1; out.iterations <= 50; ++out.iterations) {
    out.yield = hotYieldTable(in.material, arc, table);
    if (out.yield.refusal) return out.refusal = out.yield.refusal, out;
    const double rise = deformationHeating(out.yield.meanFlowStress, strainStep, rho, heat);
    arc.temperature = biteTemperatures(out.T_ENTRY, rise, out.contactTime, Hmean, rho, heat);
    if (std::fabs(arc.temperature.exit() - previousExit) < 1e-9) break;
    previousExit = arc.temperature.exit();
  }
  if (!(arc.temperature.exit() >= kAbsoluteZeroCelsius))
    return out.refusal = {Kind::belowAbsoluteZero, arc.temperature.exit()}, out;
  out.T_EXIT = arc.temperature.exit();
  out.T_RISE = arc.temperature.rise;
  out.T_DROP_ROLL = arc.temperature.drop;
  return out;
}

}  // namespace orowan::passes
