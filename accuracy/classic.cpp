// Classic roll-force formulas, as published (references in classic.h).
#include "accuracy/classic.h"

#include <cmath>
#include <limits>
#include <numbers>

namespace orowan::accuracy {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// dh = h1 - h2 and the projected arc L = sqrt(R dh) of every formula.
double draft(const ClassicInput& in) { return in.H1 - in.H2; }
double projectedArc(const ClassicInput& in) { return std::sqrt(in.R * draft(in)); }

// Composite Simpson's rule of f over [a, b] on `panels` (even) panels.
template <typename Function>
double simpson(Function f, double a, double b, int panels) {
  const double h = (b - a) / panels;
  double sum = f(a) + f(b);
  for (int i = 1; i < panels; ++i) sum += (i % 2 == 1 ? 4.0 : 2.0) * f(a + i * h);
  return sum * h / 3.0;
}

}  // namespace

ClassicInput classicInputFrom(const PassConditions& pass) {
  return {pass.R,
          pass.H1,
          pass.H2,
          1.15 * pass.meanYieldStress,
          std::fabs(pass.friction),
          pass.backTension,
          pass.frontTension};
}

// S. Ekelund, "Steel" 93 (1933); Swedish original usually dated 1927.
double ekelundForce(const ClassicInput& in, double viscousStress) {
  const double dh = draft(in);
  const double m = (1.6 * in.friction * std::sqrt(in.R * dh) - 1.2 * dh) / (in.H1 + in.H2);
  return projectedArc(in) * (1.0 + m) * (in.S + viscousStress);
}

double ekelundStrainRate(const ClassicInput& in, double rollSpeed) {
  return 2.0 * rollSpeed * std::sqrt(draft(in) / in.R) / (in.H1 + in.H2);
}

// R. Hill, Proc. IMechE 163 (1950) 135-140: a fit to Bland-Ford results.
// The entry thickness goes under the root (the exit-thickness form needs
// sqrt(1 - r) besides).
double hillForce(const ClassicInput& in) {
  const double r = draft(in) / in.H1;
  const double f = 1.08 + 1.79 * r * in.friction * std::sqrt(in.R / in.H1) - 1.02 * r;
  return in.S * projectedArc(in) * f;
}

// R. B. Sims, Proc. IMechE 168 (1954) 191-214: p - q = (pi/4) S in the
// sticking zone, shear stress S/2 everywhere.
ClassicResult simsResult(const ClassicInput& in) {
  const double r = draft(in) / in.H1, pi = std::numbers::pi;
  const double a = std::sqrt((1.0 - r) / r), b = std::sqrt(in.R / in.H2),
               root = std::sqrt(in.H2 / in.R);
  const double phiN = root * std::tan(pi / 8.0 * root * std::log(1.0 - r) +
                                      0.5 * std::atan(std::sqrt(r / (1.0 - r))));
  const double hN = in.H2 + in.R * phiN * phiN;
  const double Qp = pi / 2.0 * a * std::atan(1.0 / a) - pi / 4.0 - a * b * std::log(hN / in.H2) +
                    0.5 * a * b * std::log(1.0 / (1.0 - r));
  const double alpha = std::sqrt(draft(in) / in.R);
  const double torquePerRoll = in.R * in.R * in.S * (alpha / 2.0 - phiN);
  return {in.S * projectedArc(in) * Qp, phiN, 2.0 * torquePerRoll / 1000.0};
}

// D. R. Bland and H. Ford, Proc. IMechE 159 (1948) 144-153. The neutral
// point is where p+ = p-: H_n = H1/2 - ln[(h1/h2)(1 - t2/S)/(1 - t1/S)]/(2 mu).
ClassicResult blandFordResult(const ClassicInput& in) {
  const double b = std::sqrt(in.R / in.H2), alpha = std::sqrt(draft(in) / in.R);
  const auto H = [b](double phi) { return 2.0 * b * std::atan(b * phi); };
  const auto h = [&](double phi) { return in.H2 + in.R * phi * phi; };
  const double exitFactor = 1.0 - in.frontTension / in.S, entryFactor = 1.0 - in.backTension / in.S;
  const double Hn =
      H(alpha) / 2.0 - std::log(in.H1 / in.H2 * exitFactor / entryFactor) / (2.0 * in.friction);
  if (!(Hn > 0.0 && Hn < H(alpha))) return {kNaN, kNaN, kNaN};
  const double phiN = std::tan(Hn / (2.0 * b)) / b;
  const auto exitPressure = [&](double phi) {
    return in.S * h(phi) / in.H2 * exitFactor * std::exp(in.friction * H(phi));
  };
  const auto entryPressure = [&](double phi) {
    return in.S * h(phi) / in.H1 * entryFactor * std::exp(in.friction * (H(alpha) - H(phi)));
  };
  const double exitSum = simpson(exitPressure, 0.0, phiN, 2000);
  const double entrySum = simpson(entryPressure, phiN, alpha, 2000);
  const double torquePerRoll = in.friction * in.R * in.R * (entrySum - exitSum);
  return {in.R * (exitSum + entrySum), phiN, 2.0 * torquePerRoll / 1000.0};
}

}  // namespace orowan::accuracy
