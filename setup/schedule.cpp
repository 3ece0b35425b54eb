// A coil's passes at given thicknesses.
#include "setup/schedule.h"

#include <cmath>

#include "passes/mill.h"
#include "passes/solve.h"
#include "setup/units.h"

namespace orowan::setup {
namespace {

// The tension before pass `pass` (its back tension) and after it (its
// front tension), in the file's units: the pay-off reel's before the
// first, the coiler's after the last, the interstand ones between.
float tensionBefore(const Coil& coil, int pass) {
  return pass == 0 ? coil.tensionEntry : coil.tensions[pass - 1];
}
float tensionAfter(const Coil& coil, int pass, int passes) {
  return pass == passes - 1 ? coil.tensionExit : coil.tensions[pass];
}

// Why an answer has no loads, in a user's words.
std::string problemOf(const passes::Answer& a) {
  using passes::Status;
  switch (a.status) {
    case Status::ok: return "";
    case Status::noNeutralPoint: return "no neutral point: the strip slips over the whole arc of contact";
    case Status::noFlattenedRadius:
      return a.flattening.status == passes::FlatteningStatus::belowMinimumGauge
                 ? "below the minimum gauge: no flattened roll radius carries the force"
                 : "no flattened roll radius found";
    case Status::fault: return std::string("the pass faults: M") + std::to_string(a.fault.number) + " " + a.fault.message;
    case Status::refused: return "the flow curve cannot be solved for this pass";
    default: return "not solved";
  }
}

// Whether a pass without a neutral point has it beyond the entry plane:
// the exit march's force reaches the entry plane still below the entry
// march's start, so the two would meet only before the strip enters.
bool slipsForward(const PassResult& r) {
  if (r.exit.steps == 0 || r.entry.steps == 0) return false;
  return r.exit.step[r.exit.steps - 1].F < r.entry.step[0].F;
}

// Speeds and power at the roll speed that gives the strip its exit
// speed: the strip moves with the roll's horizontal speed V cos(phi_n)
// at the neutral point, where its thickness is h_n, so the flow
// H2 v = h_n V cos(phi_n) gives V; speeds and power then as
// passes::millOutputs works them out for a roll speed typed as V.
void setSpeeds(const passes::Request& request, const PassResult& pass, double exitSpeed, PassLine& line) {
  const StepValues& neutral = pass.exit.step[pass.NEUTRAL_STEP - 1];
  const double flowPerRollSpeed = double(neutral.H) * std::cos(double(neutral.PHI));
  line.ROLL_SPEED = roundToSingle(exitSpeed * double(request.input.H2) / flowPerRollSpeed);
  const passes::MillOutputs out = passes::millOutputs(request.input, pass, line.ROLL_SPEED);
  line.V_EXIT = static_cast<float>(out.V_EXIT);
  line.V_ENTRY = static_cast<float>(out.V_ENTRY);
  line.POWER = static_cast<float>(out.POWER);
}

// The per-width values times the width (mm) as totals: t, t-m, kW.
void setTotals(float width, PassLine& line) {
  const double metres = double(width) / 1000.0;
  line.forceTotal = double(line.ROLLING_FORCE) * metres;
  line.torqueTotal = double(line.G) * metres;
  line.powerTotal = double(line.POWER) * metres;
}

}  // namespace

passes::Request passRequest(const Mill& mill, const Coil& coil, int pass, float H1, float H2, double strainIn) {
  const Stand& stand = standOf(mill, pass);
  const Units u = mill.units;
  passes::Request r;
  r.keepSteps = false;
  r.input.R = stand.R;
  r.input.H1 = H1;
  r.input.H2 = H2;
  r.input.SGB = stressToAnalysis(tensionBefore(coil, pass), u);
  r.input.SGF = stressToAnalysis(tensionAfter(coil, pass, mill.passes), u);
  r.input.friction = stand.U;
  const Material& m = coil.material;
  if (m.Y) r.input.meanYieldStress = stressToAnalysis(*m.Y, u);
  r.hasCurve = m.hasCurve;
  if (m.hasCurve) {
    r.curve.kind = m.kind;
    r.curve.K = stressToAnalysis(m.K, u);
    r.curve.N = m.N;
    r.curve.EPS0 = m.kind == passes::FlowCurve::Kind::swift ? double(m.EPS0) : 0.0;
    r.curve.S0 = m.kind == passes::FlowCurve::Kind::ludwik ? double(stressToAnalysis(m.S0, u)) : 0.0;
  }
  r.strainIn = strainIn;
  r.strainKnown = true;
  r.flatten = stand.E.has_value();
  if (r.flatten) r.rolls = {stressToAnalysis(*stand.E, u), double(stand.NU.value_or(passes::kDefaultPoissonRatio))};
  return r;
}

double exitSpeed(const Mill& mill, const Coil& coil, int, float H2) {
  if (mill.kind == MillKind::reversing) return coil.V_exit;
  return double(coil.V_exit) * double(coil.H_exit) / double(H2);
}

PassLine PassSolver::solve(int pass, float H1, float H2, double strainIn, bool keepSteps) {
  const passes::Request request = passRequest(mill_, coil_, pass, H1, H2, strainIn);
  passes::solveRequest(request, answer_, *scratch_);
  solves_ += answer_.flattened ? std::max(answer_.flattening.iterations, 1) : 1;
  PassLine line;
  line.pass = pass + 1;
  line.H1 = H1, line.H2 = H2;
  line.SGB = request.input.SGB, line.SGF = request.input.SGF;
  line.U = request.input.friction, line.R = request.input.R;
  line.status = answer_.status;
  line.fault = answer_.fault;
  line.EPS_IN = answer_.values.EPS_IN;
  line.EPS_OUT = answer_.strainKnown ? answer_.values.EPS_OUT : NAN;
  line.flattened = answer_.flattened && answer_.status != passes::Status::noFlattenedRadius;
  if (line.flattened) line.R_FLAT = answer_.values.R_FLAT;
  line.problem = problemOf(answer_);
  if (answer_.status == passes::Status::noNeutralPoint) line.slipsForward = slipsForward(*answer_.pass);
  if (!passes::hasNeutralPoint(answer_)) return line;
  const PassResult& r = *answer_.pass;
  line.Y_MEAN = answer_.values.Y_MEAN;
  line.ROLLING_FORCE = r.ROLLING_FORCE;
  line.G = r.G;
  line.FORWARD_SLIP = answer_.values.FORWARD_SLIP;
  setSpeeds(request, r, exitSpeed(mill_, coil_, pass, H2), line);
  setTotals(coil_.width, line);
  if (keepSteps) line.steps = std::make_shared<const PassResult>(r);
  return line;
}

std::vector<PassLine> solveSchedule(const Mill& mill, const Coil& coil, const std::vector<float>& H,
                                    PassSolver& solver, bool keepSteps) {
  std::vector<PassLine> lines;
  float H1 = coil.H_entry;
  double strain = coil.EPS;
  for (int i = 0; i < mill.passes; ++i) {
    PassLine line = solver.solve(i, H1, H[i], strain, keepSteps);
    line.overLimits = exceededLimits(mill, coil, line);
    strain = std::isnan(line.EPS_OUT) ? passes::strainOut(H1, H[i], strain) : double(line.EPS_OUT);
    H1 = H[i];
    lines.push_back(std::move(line));
  }
  return lines;
}

std::vector<std::string> exceededLimits(const Mill& mill, const Coil&, const PassLine& line) {
  std::vector<std::string> over;
  if (std::isnan(line.forceTotal)) return over;
  const Stand& s = standOf(mill, line.pass - 1);
  const Units u = mill.units;
  // As the output shows them: the file's units, one rounding.
  const auto shown = [u](double total, bool converts) { return roundToSingle(converts ? toUnits(total, u) : total); };
  if (s.maxForce && shown(line.forceTotal, true) > *s.maxForce) over.push_back("over force limit");
  if (s.maxTorque && shown(line.torqueTotal, true) > *s.maxTorque) over.push_back("over torque limit");
  if (s.maxPower && shown(line.powerTotal, false) > *s.maxPower) over.push_back("over power limit");
  if (s.maxRollSpeed && line.ROLL_SPEED > *s.maxRollSpeed) over.push_back("over roll speed limit");
  return over;
}

double shareLoad(const PassLine& line, ShareBy by) {
  if (by == ShareBy::power) return line.POWER;
  if (by == ShareBy::reduction) return 1.0 - double(line.H2) / double(line.H1);
  return line.ROLLING_FORCE;
}

}  // namespace orowan::setup
