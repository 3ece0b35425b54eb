// The converged solver behind orowan-batch --solver converged.
#include "batch/exact.h"

#include <charconv>
#include <cstdio>
#include <cstring>
#include <numbers>

#include "accuracy/converged.h"

namespace batch {
namespace {

using orowan::accuracy::Solution;
using orowan::accuracy::Status;

// A summary column and where the converged answer holds it.
struct ExactField {
  const char* name;
  double Solution::*field;
  bool degrees;      // the answer holds radians, the column degrees
  bool needsLoads;   // only with a neutral point (and loads)
};

constexpr ExactField kFields[] = {
    {"REDUCTION_RATIO", &Solution::reductionRatio, false, false},
    {"XL", &Solution::contactLength, false, false},
    {"OM", &Solution::contactAngle, true, false},
    {"XN", &Solution::neutralX, false, true},
    {"ON", &Solution::neutralAngle, true, true},
    {"NEUTRAL_F", &Solution::neutralForce, false, true},
    {"NEUTRAL_P", &Solution::neutralPressure, false, true},
    {"PM", &Solution::meanPressure, false, true},
    {"ROLLING_FORCE", &Solution::rollingForce, false, true},
    {"G", &Solution::torque, false, true},
    {"TORQUE_ARM", &Solution::torqueArm, false, true},
};

const ExactField* fieldOf(const ResultColumn& column) {
  for (const ExactField& f : kFields)
    if (std::strcmp(f.name, column.name) == 0) return &f;
  return nullptr;
}

// The first input the converged solver does not take, or -1.
int unsupportedInput(const PassJob& job) {
  for (int c : {kCURVE, kK, kN, kEPS0, kS0, kEPS, kE, kNU, kV})
    if (job.has[c]) return c;
  return job.input.frictionTable != nullptr ? kU : -1;
}

// The loads' and stresses' kinds convert by 9.80665 in SI, in double.
double toOutputExact(double value, UnitKind kind, Units units) {
  const bool converts = kind == UnitKind::stress || kind == UnitKind::forcePerWidth ||
                        kind == UnitKind::load || kind == UnitKind::torque;
  return units == Units::si && converts ? value * kNewtonsPerKgf : value;
}

}  // namespace

void solveExactJob(PassJob& job) {
  if (!job.readable) return;
  if (const int c = unsupportedInput(job); c >= 0) {
    job.readable = false;
    job.reportProblem = true;
    job.problem = std::string("column ") + inputColumns()[c].name +
                  ": not with --solver converged, which takes a constant yield stress and "
                  "friction (no flow curve, friction table, roll flattening or roll speed)";
    return;
  }
  const orowan::PassInput& in = job.input;
  const orowan::accuracy::PassConditions pass{in.R,   in.H1,  in.H2,      in.meanYieldStress,
                                              in.SGB, in.SGF, in.friction};
  job.exact = orowan::accuracy::solveConverged(pass);
  job.values.Y_ENTRY = job.values.Y_EXIT = in.meanYieldStress;
}

bool exactColumn(const ResultColumn& column) { return fieldOf(column) != nullptr; }

bool availableWithExact(const ResultColumn& column) {
  return column.presence == Presence::typed || column.presence == Presence::line ||
         exactColumn(column);
}

std::optional<double> exactValue(const ResultColumn& column, const PassJob& job) {
  const ExactField* f = fieldOf(column);
  const Status status = job.exact.status;
  if (f == nullptr || !job.readable || status == Status::fault) return std::nullopt;
  if (f->needsLoads && status != Status::ok && status != Status::notConverged) return std::nullopt;
  const double value = job.exact.*(f->field);
  return toOutputExact(f->degrees ? value * 180.0 / std::numbers::pi : value, column.unit,
                       job.units);
}

std::string_view exactStatusText(const PassJob& job, char (&buffer)[16]) {
  if (!job.readable) return "error";
  switch (job.exact.status) {
    case Status::ok: return "ok";
    case Status::noNeutralPoint: return "no neutral point";
    case Status::notConverged: return "not converged";
    case Status::fault: break;
  }
  using orowan::accuracy::FaultKind;
  const FaultKind kind = job.exact.fault.kind;
  const int number = kind == FaultKind::domain ? 6201 : kind == FaultKind::overflow ? 6104 : 6103;
  const int n = std::snprintf(buffer, sizeof buffer, "M%d", number);
  return std::string_view(buffer, static_cast<std::size_t>(n));
}

const char* exactFaultMessage(const PassJob& job) {
  if (!job.readable || job.exact.status != Status::fault) return nullptr;
  return job.exact.fault.where;
}

std::optional<long> stepsPerSide(const PassJob& job) {
  if (!job.readable) return std::nullopt;
  if (job.exactMode) {
    if (job.exact.status == Status::fault) return std::nullopt;
    return job.exact.stepsPerSide;
  }
  if (!passReported(job) || job.result.exit.steps == 0) return std::nullopt;
  return job.result.exit.steps;
}

std::string_view shortestDoubleText(double value, char (&buffer)[32]) {
  const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
  return std::string_view(buffer, static_cast<std::size_t>(end - buffer));
}

}  // namespace batch
