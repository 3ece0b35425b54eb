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
    {"R", UnitKind::length, Need::required, nullptr, &PassInput::R, "roll radius"},
    {"H1", UnitKind::length, Need::required, nullptr, &PassInput::H1,
     "entry thickness (empty: the exit thickness of the line before)"},
    {"H2", UnitKind::length, Need::required, nullptr, &PassInput::H2, "exit thickness"},
    {"Y", UnitKind::stress, Need::yield, nullptr, &PassInput::meanYieldStress,
     "mean yield stress"},
    {"SGB", UnitKind::stress, Need::defaulted, "0", &PassInput::SGB, "back tension"},
    {"SGF", UnitKind::stress, Need::defaulted, "0", &PassInput::SGF, "front tension"},
    {"U", UnitKind::none, Need::required, nullptr, &PassInput::friction, "friction coefficient"},
    {"CURVE", UnitKind::word, Need::optional, nullptr, nullptr, "flow curve: swift or ludwik"},
    {"K", UnitKind::stress, Need::optional, nullptr, nullptr, "flow curve's strength coefficient"},
    {"N", UnitKind::none, Need::optional, nullptr, nullptr, "flow curve's hardening exponent"},
    {"EPS0", UnitKind::none, Need::optional, nullptr, nullptr, "Swift curve's prestrain"},
    {"S0", UnitKind::stress, Need::optional, nullptr, nullptr, "Ludwik curve's initial stress"},
    {"EPS", UnitKind::none, Need::optional, nullptr, nullptr, "strain the strip brings in"},
    {"E", UnitKind::stress, Need::optional, nullptr, nullptr, "Young's modulus of the rolls"},
    {"NU", UnitKind::none, Need::optional, nullptr, nullptr, "Poisson's ratio of the rolls"},
    {"V", UnitKind::speed, Need::optional, nullptr, nullptr, "roll surface speed"},
};

// The typed echo of an input column.
constexpr ResultColumn typed(const char* name, UnitKind unit, int input, const char* meaning) {
  return {name, unit, Presence::typed, nullptr, nullptr, input, meaning};
}

// A value of the pass.
constexpr ResultColumn ofPass(const char* name, UnitKind unit, Presence presence,
                              float PassResult::*field, const char* meaning) {
  return {name, unit, presence, field, nullptr, 0, meaning};
}

// A value worked out around the pass.
constexpr ResultColumn around(const char* name, UnitKind unit, Presence presence,
                              float JobValues::*value, const char* meaning) {
  return {name, unit, presence, nullptr, value, 0, meaning};
}

constexpr ResultColumn kResults[] = {
    typed("R", UnitKind::length, kR, "roll radius"),
    typed("H1", UnitKind::length, kH1, "entry thickness"),
    typed("H2", UnitKind::length, kH2, "exit thickness"),
    typed("Y", UnitKind::stress, kY, "mean yield stress"),
    typed("SGB", UnitKind::stress, kSGB, "back tension"),
    typed("SGF", UnitKind::stress, kSGF, "front tension"),
    typed("U", UnitKind::none, kU, "friction coefficient"),
    ofPass("REDUCTION_RATIO", UnitKind::none, Presence::summary, &PassResult::REDUCTION_RATIO,
           "reduction ratio"),
    ofPass("XL", UnitKind::length, Presence::geometry, &PassResult::XL, "contact length"),
    ofPass("OM", UnitKind::degrees, Presence::summary, &PassResult::OM, "contact angle"),
    ofPass("XN", UnitKind::length, Presence::neutralPoint, &PassResult::XN,
           "neutral point from the exit plane"),
    ofPass("ON", UnitKind::degrees, Presence::neutralPoint, &PassResult::ON, "neutral angle"),
    ofPass("NEUTRAL_F", UnitKind::forcePerWidth, Presence::neutralPoint, &PassResult::NEUTRAL_F,
           "horizontal force at the neutral point"),
    ofPass("NEUTRAL_P", UnitKind::stress, Presence::neutralPoint, &PassResult::NEUTRAL_P,
           "roll pressure at the neutral point"),
    ofPass("PM", UnitKind::stress, Presence::neutralPoint, &PassResult::PM, "mean roll pressure"),
    ofPass("ROLLING_FORCE", UnitKind::load, Presence::neutralPoint, &PassResult::ROLLING_FORCE,
           "rolling force"),
    ofPass("G", UnitKind::torque, Presence::neutralPoint, &PassResult::G,
           "rolling torque, both rolls"),
    ofPass("TORQUE_ARM", UnitKind::length, Presence::neutralPoint, &PassResult::TORQUE_ARM,
           "torque arm"),
};

constexpr ResultColumn kLaterResults[] = {
    typed("CURVE", UnitKind::word, kCURVE, "flow curve"),
    typed("K", UnitKind::stress, kK, "flow curve's strength coefficient"),
    typed("N", UnitKind::none, kN, "flow curve's hardening exponent"),
    typed("EPS0", UnitKind::none, kEPS0, "Swift curve's prestrain"),
    typed("S0", UnitKind::stress, kS0, "Ludwik curve's initial stress"),
    typed("EPS", UnitKind::none, kEPS, "strain the strip brings in, as typed"),
    typed("E", UnitKind::stress, kE, "Young's modulus of the rolls"),
    typed("NU", UnitKind::none, kNU, "Poisson's ratio of the rolls"),
    typed("V", UnitKind::speed, kV, "roll surface speed"),
    around("EPS_IN", UnitKind::none, Presence::strain, &JobValues::EPS_IN,
           "equivalent strain at the entry plane"),
    around("EPS_OUT", UnitKind::none, Presence::strain, &JobValues::EPS_OUT,
           "equivalent strain at the exit plane"),
    around("Y_ENTRY", UnitKind::stress, Presence::line, &JobValues::Y_ENTRY,
           "flow stress at the entry plane"),
    around("Y_EXIT", UnitKind::stress, Presence::line, &JobValues::Y_EXIT,
           "flow stress at the exit plane"),
    around("Y_MEAN", UnitKind::stress, Presence::geometry, &JobValues::Y_MEAN,
           "mean flow stress over the contact length"),
    around("R_FLAT", UnitKind::length, Presence::flattened, &JobValues::R_FLAT,
           "flattened roll radius"),
    around("R_FLAT_ITERATIONS", UnitKind::none, Presence::search, &JobValues::R_FLAT_ITERATIONS,
           "passes solved in the search for it"),
    around("R_FLAT_RESIDUAL", UnitKind::none, Presence::flattened, &JobValues::R_FLAT_RESIDUAL,
           "(Hitchcock's radius of the force - R_FLAT) / R_FLAT"),
    around("FORWARD_SLIP", UnitKind::none, Presence::neutralPoint, &JobValues::FORWARD_SLIP,
           "forward slip"),
    around("BACKWARD_SLIP", UnitKind::none, Presence::neutralPoint, &JobValues::BACKWARD_SLIP,
           "backward slip"),
    around("V_EXIT", UnitKind::speed, Presence::rollSpeed, &JobValues::V_EXIT,
           "strip speed at the exit"),
    around("V_ENTRY", UnitKind::speed, Presence::rollSpeed, &JobValues::V_ENTRY,
           "strip speed at the entry"),
    around("POWER", UnitKind::power, Presence::rollSpeed, &JobValues::POWER,
           "rolling power of both rolls per metre of width"),
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
bool passReached(Presence presence, const PassJob& job) {
  const orowan::Outcome outcome = job.result.outcome;
  switch (presence) {
    case Presence::geometry:
      return outcome != orowan::Outcome::fault || job.result.fault.stage > orowan::Stage::geometry;
    case Presence::summary: return outcome != orowan::Outcome::fault;
    case Presence::neutralPoint: return outcome == orowan::Outcome::neutralPoint;
    case Presence::rollSpeed: return outcome == orowan::Outcome::neutralPoint && job.has[kV];
    default: return false;
  }
}

// Whether a column of this presence has a value for the job.
bool reached(Presence presence, const PassJob& job) {
  switch (presence) {
    case Presence::typed: return true;
    case Presence::line: return job.readable;
    case Presence::strain: return job.readable && job.strainKnown;
    case Presence::search: return job.readable && job.has[kE];
    case Presence::flattened:
      return passReported(job) && job.has[kE] &&
             job.flattening.status == orowan::FlatteningStatus::settled;
    default: return passReported(job) && passReached(presence, job);
  }
}

}  // namespace

std::span<const InputColumn> inputColumns() { return kInputs; }

int inputColumnIndex(std::string_view name) {
  for (int i = 0; i < kInputCount; ++i) {
    if (name == kInputs[i].name) return i;
  }
  return -1;
}

const char* inputColumnList() {
  return "R, H1, H2, Y, SGB, SGF, U, CURVE, K, N, EPS0, S0, EPS, E, NU, V";
}

std::string missingRequiredColumn(const std::function<bool(int)>& given) {
  for (int c = 0; c < kInputCount; ++c) {
    const InputColumn& column = kInputs[c];
    if (column.need == Need::required && !given(c))
      return std::string("column ") + column.name + ": required, but the header does not name it";
    if (column.need == Need::yield && !given(c) && !given(kCURVE))
      return std::string("column ") + column.name +
             ": required (or a flow curve: CURVE, K, N and EPS0 or S0), but the header names "
             "neither";
  }
  return "";
}

std::span<const ResultColumn> resultColumns() { return kResults; }

std::span<const ResultColumn> laterResultColumns() { return kLaterResults; }

// Typed values are given as typed; the others only for a readable line
// (and a reported pass that got far enough).
std::optional<float> resultValue(const ResultColumn& column, const PassJob& job) {
  if (column.unit == UnitKind::word) return std::nullopt;
  if (column.presence == Presence::typed) {
    if (!job.has[column.input]) return std::nullopt;
    return job.typed[column.input];
  }
  if (!reached(column.presence, job)) return std::nullopt;
  const float value = column.field != nullptr ? job.result.*column.field : job.values.*column.value;
  return toOutput(value, column.unit, job.units);
}

const char* resultWord(const ResultColumn& column, const PassJob& job) {
  if (column.unit != UnitKind::word || !job.has[column.input]) return nullptr;
  return job.curve.kind == orowan::FlowCurve::Kind::swift ? "swift" : "ludwik";
}

std::span<const StepColumn> stepColumns() { return kSteps; }

float stepValue(const StepColumn& column, const orowan::StepValues& step, Units units) {
  if (column.field == nullptr) return static_cast<float>(step.SL_ST);
  return toOutput(step.*column.field, column.unit, units);
}

std::string_view statusText(const PassJob& job, char (&buffer)[16]) {
  if (!job.readable) return "error";
  if (job.noFlattenedRadius) return "no flattened radius";
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
