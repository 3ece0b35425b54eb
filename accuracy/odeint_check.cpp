// The slab equations of the console written out again and integrated with
// Boost.Odeint (Dormand-Prince, dense output), loads by Gauss-Kronrod.
#include "accuracy/odeint_check.h"

#include <algorithm>
#include <array>
#include <boost/math/quadrature/gauss_kronrod.hpp>
#include <boost/math/tools/roots.hpp>
#include <boost/numeric/odeint.hpp>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

namespace orowan::accuracy {
namespace {

namespace odeint = boost::numeric::odeint;
using State = std::array<double, 1>;
using Dense = odeint::dense_output_runge_kutta<
    odeint::controlled_runge_kutta<odeint::runge_kutta_dopri5<State>>>;

// The pass's constants and its formulas, from the equations themselves:
// p the roll pressure, tau the friction shear stress, dF/dphi = 2R (p sin
// phi +- tau cos phi) in the console's slip and stick forms.
struct Equations {
  double R, H2, k, mu;
  double c = 1.0 - std::numbers::pi / 4.0;

  double thickness(double phi) const { return H2 + 2.0 * R * (1.0 - std::cos(phi)); }
  // 1/phi - cot phi, with its first two series terms near 0 and 0 at phi <= 0.
  static double cotGap(double phi) {
    if (phi <= 0.0) return 0.0;
    if (phi < 1e-3) return phi / 3.0 + phi * phi * phi / 45.0;
    return 1.0 / phi - 1.0 / std::tan(phi);
  }
  // A from c A^2 + A/(2 mu) - (1 + F/(H k)) = 0 by the textbook formula.
  double rootA(double F, double phi) const {
    const double b = 1.0 / (2.0 * mu), q = -(1.0 + F / (thickness(phi) * k));
    return (-b + std::sqrt(b * b - 4.0 * c * q)) / (2.0 * c);
  }
  bool slips(double F, double phi) const { return rootA(F, phi) < 1.0; }
  // The pressure where the strip slips; the sign s enters only the slope.
  double slipPressure(double F, double phi, double s) const {
    const double A = rootA(F, phi);
    return (k * (1.0 - c * A * A) + F / thickness(phi)) / (1.0 + s * mu * cotGap(phi));
  }
  double stickPressure(double F, double phi, double s) const {
    return F / thickness(phi) + k * (std::numbers::pi / 4.0 - s * 0.5 * cotGap(phi));
  }
  // s = +1 on the exit side, -1 on the entry side.
  double slope(bool slipping, double F, double phi, double s) const {
    if (slipping)
      return 2.0 * R * slipPressure(F, phi, s) * (std::sin(phi) + s * mu * std::cos(phi));
    return 2.0 * R * (stickPressure(F, phi, s) * std::sin(phi) + s * 0.5 * k * std::cos(phi));
  }
  // The pressure the loads use: positive friction in the slip form.
  double pressure(double F, double phi, double s) const {
    return slips(F, phi) ? slipPressure(F, phi, 1.0) : stickPressure(F, phi, s);
  }
};

// One march as dense-output pieces, each valid from `from` to `to`; a
// slip/stick switch always ends a piece.
struct Piece {
  double from, to;
  Dense stepper;
};

struct Trajectory {
  std::vector<Piece> pieces;
  int steps = 0;

  double force(double phi) const {
    const auto inside = [phi](const Piece& p) { return (phi - p.from) * (phi - p.to) <= 0.0; };
    const auto it = std::find_if(pieces.begin(), pieces.end(), inside);
    const Piece& piece = it == pieces.end() ? pieces.back() : *it;
    State x;
    piece.stepper.calc_state(phi, x);
    return x[0];
  }
};

// The root of f between a and b (either order) to full double precision.
template <typename Function>
double rootBetween(Function f, double a, double b) {
  std::uintmax_t iterations = 200;
  const auto range = boost::math::tools::toms748_solve(
      f, std::min(a, b), std::max(a, b), boost::math::tools::eps_tolerance<double>(52), iterations);
  return 0.5 * (range.first + range.second);
}

// Integrates from `start` to `end` (either direction), switching the slope
// form where A crosses 1: the step that crosses is cut at the crossing,
// found on its dense output, and the stepper restarts there.
Trajectory march(const Equations& eq, double start, double end, double F0, double s,
                 double tolerance, double forceScale) {
  Trajectory t;
  const double dir = end > start ? 1.0 : -1.0, span = std::fabs(end - start);
  bool slipping = eq.slips(F0, start);
  const auto rhs = [&](const State& x, State& dx, double phi) {
    dx[0] = eq.slope(slipping, x[0], phi, s);
  };
  Dense stepper = odeint::make_dense_output(tolerance * forceScale, tolerance,
                                            odeint::runge_kutta_dopri5<State>());
  stepper.initialize(State{F0}, start, dir * span * 1e-3);
  while (dir * (end - stepper.current_time()) > 0.0) {
    stepper.do_step(rhs);
    ++t.steps;
    const double from = stepper.previous_time(), to = stepper.current_time();
    if (eq.slips(stepper.current_state()[0], to) == slipping) {
      t.pieces.push_back({from, to, stepper});
      continue;
    }
    const auto margin = [&](double phi) {
      State x;
      stepper.calc_state(phi, x);
      return eq.rootA(x[0], phi) - 1.0;
    };
    const double at = rootBetween(margin, from, to);
    State x;
    stepper.calc_state(at, x);
    t.pieces.push_back({from, at, stepper});
    slipping = !slipping;
    stepper.initialize(x, at, dir * std::max(std::fabs(to - from), span * 1e-9));
  }
  return t;
}

// The integral of weight(phi) x P dX/dphi from a to b (a < b) along one
// march: a 31-point Gauss-Kronrod rule (adaptive below it if its error
// estimate asks) on each Dormand-Prince step, whose dense output is a
// polynomial, so the integrand is smooth on each piece.
template <typename Weight>
double integrateLoad(const Equations& eq, const Trajectory& t, double side, double a, double b,
                     Weight weight) {
  double sum = 0.0;
  for (const Piece& piece : t.pieces) {
    const double lo = std::max(a, std::min(piece.from, piece.to)),
                 hi = std::min(b, std::max(piece.from, piece.to));
    if (!(lo < hi)) continue;
    const auto integrand = [&](double phi) {
      State x;
      piece.stepper.calc_state(phi, x);
      return eq.pressure(x[0], phi, side) * eq.R * std::cos(phi) * weight(phi);
    };
    sum +=
        boost::math::quadrature::gauss_kronrod<double, 31>::integrate(integrand, lo, hi, 5, 1e-14);
  }
  return sum;
}

// The first angle from the exit plane up at which F_entry - F_exit
// reaches 0: scanned on 4,000 points, then refined; negative when none.
double neutralAngle(const Trajectory& exit, const Trajectory& entry, double alpha) {
  const auto gap = [&](double phi) { return entry.force(phi) - exit.force(phi); };
  if (gap(0.0) < 0.0) return -1.0;
  const int points = 4000;
  for (int i = 0; i <= points; ++i) {
    const double phi = alpha * i / points;
    if (gap(phi) > 0.0) continue;
    return i == 0 ? 0.0 : rootBetween(gap, alpha * (i - 1) / points, phi);
  }
  return -1.0;
}

}  // namespace

Solution solveWithOdeint(const PassConditions& pass, double tolerance) {
  Solution s;
  const double dh = pass.H1 - pass.H2;
  s.contactLength = std::sqrt(pass.R * dh - dh * dh / 4.0);
  s.contactAngle = std::atan(s.contactLength / (pass.R - dh / 2.0));
  s.reductionRatio = dh / pass.H1;
  const Equations eq{pass.R, pass.H2, 1.15 * pass.meanYieldStress, std::fabs(pass.friction)};
  const double alpha = s.contactAngle;
  const double scale = eq.k * pass.H1;
  const Trajectory exit =
      march(eq, 0.0, alpha, -pass.H2 * pass.frontTension, 1.0, tolerance, scale);
  const Trajectory entry =
      march(eq, alpha, 0.0, -pass.H1 * pass.backTension, -1.0, tolerance, scale);
  s.stepsPerSide = std::max(exit.steps, entry.steps);
  const double phiN = neutralAngle(exit, entry, alpha);
  if (phiN < 0.0) {
    s.status = Status::noNeutralPoint;
    return s;
  }
  const auto one = [](double) { return 1.0; };
  const auto arm = [&](double phi) { return pass.R * std::sin(phi); };
  const double force = integrateLoad(eq, exit, 1.0, 0.0, phiN, one) +
                       integrateLoad(eq, entry, -1.0, phiN, alpha, one);
  const double moment = integrateLoad(eq, exit, 1.0, 0.0, phiN, arm) +
                        integrateLoad(eq, entry, -1.0, phiN, alpha, arm);
  s.status = Status::ok;
  s.neutralAngle = phiN;
  s.neutralX = pass.R * std::sin(phiN);
  s.neutralForce = exit.force(phiN);
  s.neutralPressure = eq.pressure(s.neutralForce, phiN, 1.0);
  s.rollingForce = force;
  s.torque = 2.0 * moment / 1000.0;
  s.torqueArm = moment / force;
  s.meanPressure = force / s.contactLength;
  return s;
}

}  // namespace orowan::accuracy
