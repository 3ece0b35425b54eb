// The pass at its radius or at the flattened one, with the yield table
// rebuilt for each radius (the arc, and so the strain along it, changes
// with the radius), and what the result columns read off it.
#include "batch/solve.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace batch {
namespace {

using orowan::FlatteningStatus;

void refuse(PassJob& job, std::string problem) {
  job.readable = false;
  job.problem = std::move(problem);
  job.reportProblem = true;
}

std::string shown(double value) {
  char buffer[32];
  const auto end = std::to_chars(buffer, buffer + sizeof buffer, static_cast<float>(value)).ptr;
  return std::string(buffer, end);
}

// Why the table cannot follow the curve, naming the columns to change.
std::string curveRefusal(const PassJob& job, orowan::CurveRefusal why,
                         const orowan::CurveTableFit& fit) {
  const bool swift = job.curve.kind == orowan::FlowCurve::Kind::swift;
  if (why == orowan::CurveRefusal::zeroStress) {
    return swift ? "column EPS0: the curve has zero stress at zero strain; give EPS0 > 0 or EPS > 0"
                 : "column S0: the curve has zero stress at zero strain; give S0 > 0 or EPS > 0";
  }
  const char* columns = swift ? "columns K, N, EPS0" : "columns S0, K, N";
  if (why == orowan::CurveRefusal::beyondSingle)
    return std::string(columns) + ": the curve's stress is beyond the single-precision range";
  char worst[32];
  std::snprintf(worst, sizeof worst, "%.2g", fit.worstMidpointError * 100);
  return std::string(columns) + ": a table of 50 points cannot follow the curve within 0.1 % (" + worst +
         " % at worst)";
}

// Solves the pass at `radius` into job.result, a curve's yield table built
// for that radius; false when the curve is refused.
bool solveAt(PassJob& job, float radius) {
  if (!job.has[kCURVE]) {
    orowan::PassInput at = job.input;
    at.R = radius;
    orowan::solvePass(at, job.result);
    return true;
  }
  orowan::CurveTableFit fit;
  const orowan::CurveRefusal why = orowan::solveWithCurve(job.input, radius, job.curve, job.values.EPS_IN,
                                                          job.yieldTable, job.result, fit);
  if (why != orowan::CurveRefusal::none) return refuse(job, curveRefusal(job, why, fit)), false;
  return true;
}

// Why no flattened radius was found, for the message column.
std::string flatteningNote(const PassJob& job) {
  const orowan::Flattening& f = job.flattening;
  switch (f.status) {
    case FlatteningStatus::belowMinimumGauge:
      return "below minimum gauge: no radius up to 1000 R satisfies Hitchcock's equation";
    case FlatteningStatus::notSettled:
      return "not settled after " + std::to_string(orowan::kFlatteningLimit) + " passes";
    case FlatteningStatus::noNeutralPoint:
      return "the pass has no neutral point at R' = " + shown(f.R_FLAT) + " mm, a radius of the search";
    default:
      break;
  }
  return "the pass faults at R' = " + shown(f.R_FLAT) + " mm, a radius of the search: M" +
         std::to_string(job.result.fault.number) + " " + job.result.fault.message;
}

// The pass at its flattened radius (Hitchcock's equation, solved by
// orowan::findFlattenedRadius). A pass that faults or has no neutral point
// at the roll's own radius is reported as that pass.
void solveFlattened(PassJob& job) {
  const double nu = job.has[kNU] ? job.typed[kNU] : 0.3f;
  const orowan::RollElasticity rolls{toAnalysis(job.typed[kE], UnitKind::stress, job.units), nu};
  bool refused = false;
  const orowan::ForceAtRadius forceAt = [&](float radius, double& force) {
    if (!solveAt(job, radius)) return refused = true, FlatteningStatus::fault;
    force = job.result.ROLLING_FORCE;
    if (job.result.outcome == orowan::Outcome::neutralPoint) return FlatteningStatus::settled;
    return job.result.outcome == orowan::Outcome::fault ? FlatteningStatus::fault : FlatteningStatus::noNeutralPoint;
  };
  const double dh = double(job.input.H1) - double(job.input.H2);
  job.flattening = orowan::findFlattenedRadius(job.input.R, dh, rolls, forceAt);
  if (refused) return;
  const orowan::Flattening& f = job.flattening;
  job.values.R_FLAT_ITERATIONS = static_cast<float>(f.iterations);
  if (f.status == FlatteningStatus::settled) {
    job.values.R_FLAT = static_cast<float>(f.R_FLAT);
    job.values.R_FLAT_RESIDUAL = static_cast<float>(f.residual);
  } else if (f.iterations > 1 || f.status == FlatteningStatus::belowMinimumGauge ||
             f.status == FlatteningStatus::notSettled) {
    job.noFlattenedRadius = true;
    job.note = flatteningNote(job);
  }
}

// The flow stress at the entry and exit planes, from the strain the strip
// has there; for a constant input the typed mean yield stress.
void setPlaneStresses(PassJob& job) {
  JobValues& v = job.values;
  if (!job.has[kCURVE]) {
    v.Y_ENTRY = v.Y_EXIT = job.input.meanYieldStress;
    return;
  }
  const double exitStrain = orowan::strainOut(job.input.H1, job.input.H2, v.EPS_IN);
  v.Y_ENTRY = static_cast<float>(orowan::flowStress(job.curve, v.EPS_IN));
  v.Y_EXIT = static_cast<float>(orowan::flowStress(job.curve, exitStrain));
}

// The mean flow stress over the arc: the curve's stress at the yield
// table's positions (the table RK is 1.15 times it), integrated as the
// analysis interpolates it and divided by XL.
void setMeanStress(PassJob& job, float radius) {
  JobValues& v = job.values;
  if (!job.has[kCURVE] || job.yieldTable.count == 0) {
    v.Y_MEAN = job.has[kCURVE] ? v.Y_ENTRY : job.input.meanYieldStress;
    return;
  }
  orowan::PropertyPoints stress = job.yieldTable;
  for (int k = 0; k + 1 < stress.count; ++k) {
    const double strain = orowan::strainAt(stress.positions[k], radius, job.input.H1, job.input.H2, v.EPS_IN);
    stress.values[k] = static_cast<float>(orowan::flowStress(job.curve, strain));
  }
  stress.values[stress.count - 1] = stress.values[stress.count - 2];  // the guard repeats the entry
  v.Y_MEAN = static_cast<float>(orowan::tableMean(stress, job.result.XL));
}

// Slips, and with a roll speed the strip's speeds and the power.
void setMillValues(PassJob& job) {
  if (job.result.outcome != orowan::Outcome::neutralPoint) return;
  const double speed = job.has[kV] ? double(job.typed[kV]) : NAN;
  const orowan::MillOutputs out = orowan::millOutputs(job.input, job.result, speed);
  JobValues& v = job.values;
  v.FORWARD_SLIP = static_cast<float>(out.FORWARD_SLIP);
  v.BACKWARD_SLIP = static_cast<float>(out.BACKWARD_SLIP);
  if (!job.has[kV]) return;
  v.V_EXIT = static_cast<float>(out.V_EXIT);
  v.V_ENTRY = static_cast<float>(out.V_ENTRY);
  v.POWER = static_cast<float>(out.POWER);
}

// A friction table of 50 points has no point of the tool's past its end:
// every step of both marches must lie before its last position.
std::string frictionCoverage(const PassJob& job) {
  if (job.input.frictionTable == nullptr) return "";
  const orowan::PropertyPoints& t = job.frictionTable;
  if (orowan::farthestStep(job.result) < t.positions[t.count - 1]) return "";
  return "column U: the table ends at X = " + shown(t.positions[t.count - 1]) +
         ", inside the arc of contact (XL = " + shown(job.result.XL) + "); a table of 50 points must reach past "
         "the entry plane";
}

}  // namespace

void solveJob(PassJob& job) {
  if (!job.readable) return;
  setPlaneStresses(job);
  if (job.has[kE]) solveFlattened(job);
  else solveAt(job, job.input.R);
  if (!job.readable) return;
  if (std::string problem = frictionCoverage(job); !problem.empty()) return refuse(job, std::move(problem));
  if (!passReported(job)) return;
  const bool flattened = job.has[kE] && job.flattening.status == FlatteningStatus::settled;
  setMeanStress(job, flattened ? static_cast<float>(job.flattening.R_FLAT) : job.input.R);
  setMillValues(job);
}

}  // namespace batch
