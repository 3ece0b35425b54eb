// The converged scheme: classical RK4 on (F, load integrals) with located
// slip/stick switches, the neutral point located between grid nodes, and
// grid doubling until the answer settles.
#include "accuracy/converged.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "accuracy/results.h"
#include "accuracy/root_finding.h"

namespace orowan::accuracy {
namespace {

// The state of a march: force, integral of P dX and of P X dX from the
// march's start plane (negative on the entry side, which runs downward).
struct MarchState {
  double F = 0, Q = 0, M = 0;
};

// y + h k, componentwise: a stage's state.
MarchState plusScaled(const MarchState& y, double h, const MarchState& k) {
  return {y.F + h * k.F, y.Q + h * k.Q, y.M + h * k.M};
}

// One side's march through the model, the contact held over each step.
class Marcher {
 public:
  Marcher(const SlabModel& model, Side side) : model_(model), side_(side) {}

  // d(state)/dphi with the contact held: slope, P dX/dphi, P X dX/dphi.
  MarchState rate(Contact contact, const Angle& a, const MarchState& y) const {
    const Section s = model_.sectionAs(side_, contact, a, y.F);
    const double dX = model_.R() * a.cos;
    return {model_.slope(side_, s, a, y.F), s.P * dX, s.P * model_.position(a) * dX};
  }

  // Classical RK4 (nodes 0, 1/2, 1/2, 1; weights 1, 2, 2, 1 sixths), given
  // the step's start, middle and end angles.
  MarchState rk4(Contact contact, const Angle& start, const Angle& middle, const Angle& end,
                 const MarchState& y, double h) const {
    const MarchState k1 = rate(contact, start, y);
    const MarchState k2 = rate(contact, middle, plusScaled(y, 0.5 * h, k1));
    const MarchState k3 = rate(contact, middle, plusScaled(y, 0.5 * h, k2));
    const MarchState k4 = rate(contact, end, plusScaled(y, h, k3));
    return {y.F + h / 6.0 * (k1.F + 2.0 * k2.F + 2.0 * k3.F + k4.F),
            y.Q + h / 6.0 * (k1.Q + 2.0 * k2.Q + 2.0 * k3.Q + k4.Q),
            y.M + h / 6.0 * (k1.M + 2.0 * k2.M + 2.0 * k3.M + k4.M)};
  }

  MarchState rk4(Contact contact, const Angle& start, const MarchState& y, double h) const {
    return rk4(contact, start, Angle(start.phi + 0.5 * h), Angle(start.phi + h), y, h);
  }

  // A - 1 at (angle, F): negative where the strip slips.
  double slipMargin(const Angle& a, double F) const {
    return model_.slipRoot(F, model_.thickness(a)) - 1.0;
  }

  // One step of h from `start`. When the contact at the end differs from
  // the one at the start, the step is split where A crosses 1 (found along
  // partial steps, each of fourth order) and finished in the new contact.
  MarchState advance(const Angle& start, const MarchState& y, double h) const {
    const Angle end(start.phi + h);
    const double startMargin = slipMargin(start, y.F);
    const Contact contact = startMargin < 0.0 ? Contact::slip : Contact::stick;
    const MarchState atEnd = rk4(contact, start, Angle(start.phi + 0.5 * h), end, y, h);
    const double endMargin = slipMargin(end, atEnd.F);
    if ((endMargin < 0.0) == (startMargin < 0.0)) return atEnd;
    const auto margin = [&](double t) {
      return slipMargin(Angle(start.phi + t * h), rk4(contact, start, y, t * h).F);
    };
    const double t = findBracketedRoot(margin, 0.0, 1.0, startMargin, endMargin);
    const MarchState atSwitch = rk4(contact, start, y, t * h);
    const Contact next = contact == Contact::slip ? Contact::stick : Contact::slip;
    return rk4(next, Angle(start.phi + t * h), atSwitch, (1.0 - t) * h);
  }

  MarchState advance(double phi, const MarchState& y, double h) const {
    return advance(Angle(phi), y, h);
  }

 private:
  const SlabModel& model_;
  Side side_;
};

// Both marches on the grid phi_j = j alpha / N, j = 0..N.
struct Marches {
  double alpha = 0;
  int N = 0;
  std::vector<MarchState> exit, entry;  // index j: the state at phi_j
  double phi(int j) const { return j == N ? alpha : alpha * j / N; }
};

// The exit march from the exit plane's force -H2 SGF up, the entry march
// from the entry plane's -H1 SGB down, node by node.
Marches marchBothSides(const SlabModel& model, const PassConditions& pass, double alpha, int N) {
  Marches m{alpha, N, std::vector<MarchState>(N + 1), std::vector<MarchState>(N + 1)};
  const double h = alpha / N;
  const Marcher fromExit(model, Side::exit), fromEntry(model, Side::entry);
  m.exit[0] = {-(pass.H2 * pass.frontTension), 0, 0};
  for (int j = 0; j < N; ++j) m.exit[j + 1] = fromExit.advance(m.phi(j), m.exit[j], h);
  m.entry[N] = {-(pass.H1 * pass.backTension), 0, 0};
  for (int j = N; j > 0; --j) m.entry[j - 1] = fromEntry.advance(m.phi(j), m.entry[j], -h);
  return m;
}

// The neutral point: its angle and both marches' states there.
struct Crossing {
  double phi;
  MarchState exit, entry;
};

// The first node j (from the exit plane) with F_entry - F_exit <= 0, or -1
// when there is none or the entry curve is already below at the exit plane.
int firstNodeAtOrPastCrossing(const Marches& m) {
  for (int j = 0; j <= m.N; ++j) {
    const double d = m.entry[j].F - m.exit[j].F;
    if (d < 0.0 && j == 0) return -1;
    if (d <= 0.0) return j;
  }
  return -1;
}

// The crossing inside (phi_{j-1}, phi_j]: root of F_entry - F_exit in the
// fraction t of the step, each curve reached by a partial step from its
// own side's node.
Crossing locateCrossing(const SlabModel& model, const Marches& m, int j) {
  if (j == 0) return {0.0, m.exit[0], m.entry[0]};
  const Marcher fromExit(model, Side::exit), fromEntry(model, Side::entry);
  const double lo = m.phi(j - 1), h = m.phi(j) - lo;
  const auto exitAt = [&](double t) { return fromExit.advance(lo, m.exit[j - 1], t * h); };
  const auto entryAt = [&](double t) {
    return fromEntry.advance(m.phi(j), m.entry[j], -(1.0 - t) * h);
  };
  const auto gap = [&](double t) { return entryAt(t).F - exitAt(t).F; };
  const double t = findBracketedRoot(gap, 0.0, 1.0, m.entry[j - 1].F - m.exit[j - 1].F,
                                     m.entry[j].F - m.exit[j].F);
  return {lo + t * h, exitAt(t), entryAt(t)};
}

// Every node of both marches with its pressure and contact.
void keepSteps(const SlabModel& model, const Marches& m, Solution& s) {
  for (int j = 0; j <= m.N; ++j) {
    const Angle a(m.phi(j));
    const Section e = model.section(Side::exit, a, m.exit[j].F);
    s.exitSteps.push_back(
        {model.position(a), a.phi, m.exit[j].F, e.P, e.contact == Contact::slip ? 1 : 2});
  }
  for (int j = m.N; j >= 0; --j) {
    const Angle a(m.phi(j));
    const Section e = model.section(Side::entry, a, m.entry[j].F);
    s.entrySteps.push_back(
        {model.position(a), a.phi, m.entry[j].F, e.P, e.contact == Contact::slip ? 1 : 2});
  }
}

// The neutral point and the loads split there.
void neutralPointAndLoads(const SlabModel& model, const Marches& m, Solution& s) {
  const int j = firstNodeAtOrPastCrossing(m);
  if (j < 0) {
    s.status = Status::noNeutralPoint;
    return;
  }
  const Crossing c = locateCrossing(model, m, j);
  const Angle a(c.phi);
  s.neutralAngle = c.phi;
  s.neutralX = model.position(a);
  s.neutralForce = c.exit.F;
  s.neutralPressure = model.section(Side::exit, a, c.exit.F).P;
  setLoads(s, c.exit.Q - c.entry.Q, c.exit.M - c.entry.M);
  requireFinite(s);
}

// Between two grids: the same status and, with a neutral point, force,
// torque and neutral angle within the tolerance. The floor of 1e-12 of the
// force keeps a torque of zero from refining forever.
bool settled(const Solution& coarse, const Solution& fine, double tolerance) {
  if (coarse.status != fine.status) return false;
  if (fine.status != Status::ok) return true;
  const auto close = [&](double a, double b, double scale) {
    return std::fabs(a - b) <= tolerance * std::max(scale, 1e-12 * std::fabs(fine.rollingForce));
  };
  return close(coarse.rollingForce, fine.rollingForce, std::fabs(fine.rollingForce)) &&
         close(coarse.torque, fine.torque, std::fabs(fine.torque)) &&
         close(coarse.neutralAngle, fine.neutralAngle, fine.contactAngle);
}

}  // namespace

Solution solveFixedSteps(const PassConditions& pass, int stepsPerSide, bool keep) {
  const int N = std::max(stepsPerSide, 1);
  try {
    const Geometry geometry = contactGeometry(pass);
    if (geometry.contactAngle <= 0.0)
      raiseFault(FaultKind::divideByZero, "no reduction: contact length of zero");
    const SlabModel model(pass);
    Solution s = startSolution(pass, geometry, N);
    const Marches m = marchBothSides(model, pass, geometry.contactAngle, N);
    if (keep) keepSteps(model, m, s);
    neutralPointAndLoads(model, m, s);
    return s;
  } catch (const SolverFault& fault) {
    return faultSolution(fault, N);
  }
}

Solution solveConverged(const PassConditions& pass, const ConvergedOptions& options) {
  int N = std::max(options.startSteps, 1);
  Solution coarse = solveFixedSteps(pass, N, options.keepSteps);
  while (coarse.status != Status::fault) {
    if (N > options.maxSteps / 2) {
      coarse.status = Status::notConverged;
      break;
    }
    N *= 2;
    Solution fine = solveFixedSteps(pass, N, options.keepSteps);
    if (fine.status == Status::fault || settled(coarse, fine, options.tolerance)) return fine;
    coarse = std::move(fine);
  }
  return coarse;
}

}  // namespace orowan::accuracy
