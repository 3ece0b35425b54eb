// The column tables and the lookups on them.
#include "batch/columns.h"

#include <cstdio>

#include "batch/job.h"

namespace batch {
namespace {

using orowan::PassInput;
using orowan::PassResult;
using orowan::StepValues;

constexpr InputColumn kInputs[kInputCount] = {
    {"R", UnitKind::length, nullptr, &PassInput::R, "roll radius"},
    {"H1", UnitKind::length, nullptr, &PassInput::H1,
     "entry thickness (empty: the exit thickness of the line before)"},
    {"H2", UnitKind::length, nullptr, &PassInput::H2, "exit thickness"},
    {"Y", UnitKind::stress, nullptr, &PassInput::meanYieldStress, "mean yield stress"},
    {"SGB", UnitKind::stress, "0", &PassInput::SGB, "back tension"},
    {"SGF", UnitKind::stress, "0", &PassInput::SGF, "front tension"},
    {"U", UnitKind::none, nullptr, &PassInput::friction, "friction coefficient"},
};

constexpr ResultColumn kResults[] = {
    {"R", UnitKind::length, Presence::typed, nullptr, kR, "roll radius"},
    {"H1", UnitKind::length, Presence::typed, nullptr, kH1, "entry thickness"},
    {"H2", UnitKind::length, Presence::typed, nullptr, kH2, "exit thickness"},
    {"Y", UnitKind::stress, Presence::typed, nullptr, kY, "mean yield stress"},
    {"SGB", UnitKind::stress, Presence::typed, nullptr, kSGB, "back tension"},
    {"SGF", UnitKind::stress, Presence::typed, nullptr, kSGF, "front tension"},
    {"U", UnitKind::none, Presence::typed, nullptr, kU, "friction coefficient"},
    {"REDUCTION_RATIO", UnitKind::none, Presence::summary, &PassResult::REDUCTION_RATIO, 0,
     "reduction ratio"},
    {"XL", UnitKind::length, Presence::geometry, &PassResult::XL, 0, "contact length"},
    {"OM", UnitKind::degrees, Presence::summary, &PassResult::OM, 0, "contact angle"},
    {"XN", UnitKind::length, Presence::neutralPoint, &PassResult::XN, 0,
     "neutral point from the exit plane"},
    {"ON", UnitKind::degrees, Presence::neutralPoint, &PassResult::ON, 0, "neutral angle"},
    {"NEUTRAL_F", UnitKind::forcePerWidth, Presence::neutralPoint, &PassResult::NEUTRAL_F, 0,
     "horizontal force at the neutral point"},
    {"NEUTRAL_P", UnitKind::stress, Presence::neutralPoint, &PassResult::NEUTRAL_P, 0,
     "roll pressure at the neutral point"},
    {"PM", UnitKind::stress, Presence::neutralPoint, &PassResult::PM, 0, "mean roll pressure"},
    {"ROLLING_FORCE", UnitKind::load, Presence::neutralPoint, &PassResult::ROLLING_FORCE, 0,
     "rolling force"},
    {"G", UnitKind::torque, Presence::neutralPoint, &PassResult::G, 0,
     "rolling torque, both rolls"},
    {"TORQUE_ARM", UnitKind::length, Presence::neutralPoint, &PassResult::TORQUE_ARM, 0,
     "torque arm"},
};

constexpr StepColumn kSteps[] = {
    {"X", UnitKind::length, &StepValues::X},        {"PHI", UnitKind::radians, &StepValues::PHI},
    {"O", UnitKind::degrees, &StepValues::O},       {"SL/ST", UnitKind::none, nullptr},
    {"F", UnitKind::forcePerWidth, &StepValues::F}, {"P", UnitKind::stress, &StepValues::P},
    {"P/K", UnitKind::none, &StepValues::P_K},      {"SGX", UnitKind::stress, &StepValues::SGX},
    {"SGX/K", UnitKind::none, &StepValues::SGX_K},  {"TAU", UnitKind::stress, &StepValues::TAU},
    {"H", UnitKind::length, &StepValues::H},        {"U", UnitKind::none, &StepValues::U},
    {"RK", UnitKind::stress, &StepValues::RK},      {"A", UnitKind::none, &StepValues::A},
    {"W", UnitKind::none, &StepValues::W},
};

// Whether the pass got far enough for a column of this presence.
bool reached(Presence presence, const PassJob& job) {
  const orowan::Outcome outcome = job.result.outcome;
  switch (presence) {
    case Presence::typed: return true;
    case Presence::geometry:
      return outcome != orowan::Outcome::fault || job.result.fault.stage > orowan::Stage::geometry;
    case Presence::summary: return outcome != orowan::Outcome::fault;
    case Presence::neutralPoint: return outcome == orowan::Outcome::neutralPoint;
  }
  return false;
}

}  // namespace

std::span<const InputColumn> inputColumns() { return kInputs; }

int inputColumnIndex(std::string_view name) {
  for (int i = 0; i < kInputCount; ++i) {
    if (name == kInputs[i].name) return i;
  }
  return -1;
}

const char* inputColumnList() { return "R, H1, H2, Y, SGB, SGF, U"; }

std::span<const ResultColumn> resultColumns() { return kResults; }

// Typed values are given as typed; results only for a solved pass that got
// far enough.
std::optional<float> resultValue(const ResultColumn& column, const PassJob& job) {
  if (column.presence == Presence::typed) {
    if (!job.has[column.input]) return std::nullopt;
    return job.typed[column.input];
  }
  if (!job.readable || !reached(column.presence, job)) return std::nullopt;
  return toOutput(job.result.*column.field, column.unit, job.units);
}

std::span<const StepColumn> stepColumns() { return kSteps; }

float stepValue(const StepColumn& column, const orowan::StepValues& step, Units units) {
  if (column.field == nullptr) return static_cast<float>(step.SL_ST);
  return toOutput(step.*column.field, column.unit, units);
}

std::string_view statusText(const PassJob& job, char (&buffer)[16]) {
  if (!job.readable) return "error";
  switch (job.result.outcome) {
    case orowan::Outcome::neutralPoint: return "ok";
    case orowan::Outcome::noNeutralPoint: return "no neutral point";
    case orowan::Outcome::fault: break;
  }
  const int n = std::snprintf(buffer, sizeof buffer, "M%d", job.result.fault.number);
  return std::string_view(buffer, static_cast<std::size_t>(n));
}

const char* stageName(orowan::Stage stage) {
  switch (stage) {
    case orowan::Stage::input: return "input";
    case orowan::Stage::geometry: return "geometry";
    case orowan::Stage::exitMarch:
    case orowan::Stage::entryMarch: return "march";
    case orowan::Stage::load: return "load";
    case orowan::Stage::summary: return "summary";
  }
  return "";
}

const char* sideName(orowan::Stage stage) {
  if (stage == orowan::Stage::exitMarch) return "exit";
  if (stage == orowan::Stage::entryMarch) return "entry";
  return nullptr;
}

}  // namespace batch
