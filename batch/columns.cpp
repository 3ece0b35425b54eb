// The column tables and the lookups on them.
#include "batch/columns.h"

#include <cstdio>

#include "batch/fit.h"
#include "batch/job.h"
#include "passes/hot_pass.h"

namespace orowan::batch {
namespace {

using passes::PassValues;
using passes::Summary;

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
    {"FLOW", UnitKind::word, Need::optional, nullptr, nullptr,
     "hot flow-stress law: misaka, shida or hensel-spittel"},
    {"C", UnitKind::none, Need::optional, nullptr, nullptr, "carbon content, mass %"},
    {"A", UnitKind::stress, Need::optional, nullptr, nullptr, "Hensel-Spittel's A"},
    {"M1", UnitKind::none, Need::optional, nullptr, nullptr, "Hensel-Spittel's m1, 1/degC"},
    {"M2", UnitKind::none, Need::optional, nullptr, nullptr, "Hensel-Spittel's m2"},
    {"M3", UnitKind::none, Need::optional, nullptr, nullptr, "Hensel-Spittel's m3"},
    {"M4", UnitKind::none, Need::optional, nullptr, nullptr, "Hensel-Spittel's m4"},
    {"M5", UnitKind::none, Need::optional, nullptr, nullptr, "Hensel-Spittel's m5, 1/degC"},
    {"M6", UnitKind::none, Need::optional, nullptr, nullptr, "Hensel-Spittel's m6"},
    {"M7", UnitKind::none, Need::optional, nullptr, nullptr, "Hensel-Spittel's m7"},
    {"M8", UnitKind::none, Need::optional, nullptr, nullptr, "Hensel-Spittel's m8, 1/degC"},
    {"M9", UnitKind::none, Need::optional, nullptr, nullptr, "Hensel-Spittel's m9"},
    {"EPS_MIN", UnitKind::none, Need::optional, nullptr, nullptr, "smallest strain a hot law sees"},
    {"T", UnitKind::celsius, Need::optional, nullptr, nullptr,
     "strip temperature entering the transfer (empty: what the line before left)"},
    {"TRANSFER", UnitKind::seconds, Need::optional, nullptr, nullptr, "time in air before the bite"},
    {"EMISSIVITY", UnitKind::none, Need::optional, nullptr, nullptr, "emissivity of the strip"},
    {"H_CONV", UnitKind::heatTransfer, Need::optional, nullptr, nullptr, "convection to the air"},
    {"T_AMBIENT", UnitKind::celsius, Need::optional, nullptr, nullptr, "air and water temperature"},
    {"DESCALE", UnitKind::seconds, Need::optional, nullptr, nullptr, "time under the descaling water"},
    {"H_WATER", UnitKind::heatTransfer, Need::optional, nullptr, nullptr, "heat transfer to the water"},
    {"H_CONTACT", UnitKind::heatTransfer, Need::optional, nullptr, nullptr, "heat transfer to the rolls"},
    {"T_ROLL", UnitKind::celsius, Need::optional, nullptr, nullptr, "roll surface temperature"},
    {"ETA", UnitKind::none, Need::optional, nullptr, nullptr, "fraction of the work kept as heat"},
    {"RHO", UnitKind::density, Need::optional, nullptr, nullptr, "strip density at 20 degC"},
    {"CP", UnitKind::heatCapacity, Need::optional, nullptr, nullptr, "strip heat capacity"},
    {"ALPHA", UnitKind::perKelvin, Need::optional, nullptr, nullptr,
     "expansion: thicknesses given cold at 20 degC"},
    {"FORCE_MEASURED", UnitKind::load, Need::optional, nullptr, nullptr, "measured rolling force (--fit)"},
    {"FORWARD_SLIP_MEASURED", UnitKind::none, Need::optional, nullptr, nullptr, "measured forward slip (--fit)"},
};

// The typed echo of an input column.
constexpr ResultColumn typed(const char* name, UnitKind unit, int input, const char* meaning) {
  return {name, unit, Presence::typed, nullptr, nullptr, input, meaning};
}

// A summary value of the pass.
constexpr ResultColumn ofPass(const char* name, UnitKind unit, Presence presence,
                              double Summary::*field, const char* meaning) {
  return {name, unit, presence, field, nullptr, 0, meaning};
}

// A value worked out around the pass.
constexpr ResultColumn around(const char* name, UnitKind unit, Presence presence,
                              float PassValues::*value, const char* meaning) {
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
    ofPass("REDUCTION_RATIO", UnitKind::none, Presence::summary, &Summary::reductionRatio,
           "reduction ratio"),
    ofPass("XL", UnitKind::length, Presence::geometry, &Summary::contactLength, "contact length"),
    ofPass("OM", UnitKind::degrees, Presence::summary, &Summary::contactAngle, "contact angle"),
    ofPass("XN", UnitKind::length, Presence::neutralPoint, &Summary::neutralPosition,
           "neutral point from the exit plane"),
    ofPass("ON", UnitKind::degrees, Presence::neutralPoint, &Summary::neutralAngle, "neutral angle"),
    ofPass("NEUTRAL_F", UnitKind::forcePerWidth, Presence::neutralPoint, &Summary::neutralForce,
           "horizontal force at the neutral point"),
    ofPass("NEUTRAL_P", UnitKind::stress, Presence::neutralPoint, &Summary::neutralPressure,
           "roll pressure at the neutral point"),
    ofPass("PM", UnitKind::stress, Presence::neutralPoint, &Summary::meanRollPressure, "mean roll pressure"),
    ofPass("ROLLING_FORCE", UnitKind::load, Presence::neutralPoint, &Summary::rollingForce,
           "rolling force"),
    ofPass("G", UnitKind::torque, Presence::neutralPoint, &Summary::torque,
           "rolling torque, both rolls"),
    ofPass("TORQUE_ARM", UnitKind::length, Presence::neutralPoint, &Summary::torqueArm,
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
    around("EPS_IN", UnitKind::none, Presence::strain, &PassValues::EPS_IN,
           "equivalent strain at the entry plane"),
    around("EPS_OUT", UnitKind::none, Presence::strain, &PassValues::EPS_OUT,
           "equivalent strain at the exit plane"),
    around("Y_ENTRY", UnitKind::stress, Presence::line, &PassValues::Y_ENTRY,
           "flow stress at the entry plane"),
    around("Y_EXIT", UnitKind::stress, Presence::line, &PassValues::Y_EXIT,
           "flow stress at the exit plane"),
    around("Y_MEAN", UnitKind::stress, Presence::geometry, &PassValues::Y_MEAN,
           "mean flow stress over the contact length"),
    around("R_FLAT", UnitKind::length, Presence::flattened, &PassValues::R_FLAT,
           "flattened roll radius"),
    around("R_FLAT_ITERATIONS", UnitKind::none, Presence::search, &PassValues::R_FLAT_ITERATIONS,
           "passes solved in the search for it"),
    around("R_FLAT_RESIDUAL", UnitKind::none, Presence::flattened, &PassValues::R_FLAT_RESIDUAL,
           "(Hitchcock's radius of the force - R_FLAT) / R_FLAT"),
    around("FORWARD_SLIP", UnitKind::none, Presence::neutralPoint, &PassValues::FORWARD_SLIP,
           "forward slip"),
    around("BACKWARD_SLIP", UnitKind::none, Presence::neutralPoint, &PassValues::BACKWARD_SLIP,
           "backward slip"),
    around("V_EXIT", UnitKind::speed, Presence::rollSpeed, &PassValues::V_EXIT,
           "strip speed at the exit"),
    around("V_ENTRY", UnitKind::speed, Presence::rollSpeed, &PassValues::V_ENTRY,
           "strip speed at the entry"),
    around("POWER", UnitKind::power, Presence::rollSpeed, &PassValues::POWER,
           "rolling power of both rolls per metre of width"),
};

constexpr ResultColumn kHotResults[] = {
    typed("FLOW", UnitKind::word, kFLOW, "hot flow-stress law"),
    typed("C", UnitKind::none, kC, "carbon content, mass %"),
    typed("A", UnitKind::stress, kA, "Hensel-Spittel's A"),
    typed("M1", UnitKind::none, kM1, "Hensel-Spittel's m1"),
    typed("M2", UnitKind::none, kM2, "Hensel-Spittel's m2"),
    typed("M3", UnitKind::none, kM3, "Hensel-Spittel's m3"),
    typed("M4", UnitKind::none, kM4, "Hensel-Spittel's m4"),
    typed("M5", UnitKind::none, kM5, "Hensel-Spittel's m5"),
    typed("M6", UnitKind::none, kM6, "Hensel-Spittel's m6"),
    typed("M7", UnitKind::none, kM7, "Hensel-Spittel's m7"),
    typed("M8", UnitKind::none, kM8, "Hensel-Spittel's m8"),
    typed("M9", UnitKind::none, kM9, "Hensel-Spittel's m9"),
    typed("EPS_MIN", UnitKind::none, kEPS_MIN, "smallest strain a hot law sees"),
    typed("T", UnitKind::celsius, kT, "strip temperature entering the transfer"),
    typed("TRANSFER", UnitKind::seconds, kTRANSFER, "time in air before the bite"),
    typed("EMISSIVITY", UnitKind::none, kEMISSIVITY, "emissivity of the strip"),
    typed("H_CONV", UnitKind::heatTransfer, kH_CONV, "convection to the air"),
    typed("T_AMBIENT", UnitKind::celsius, kT_AMBIENT, "air and water temperature"),
    typed("DESCALE", UnitKind::seconds, kDESCALE, "time under the descaling water"),
    typed("H_WATER", UnitKind::heatTransfer, kH_WATER, "heat transfer to the water"),
    typed("H_CONTACT", UnitKind::heatTransfer, kH_CONTACT, "heat transfer to the rolls"),
    typed("T_ROLL", UnitKind::celsius, kT_ROLL, "roll surface temperature"),
    typed("ETA", UnitKind::none, kETA, "fraction of the work kept as heat"),
    typed("RHO", UnitKind::density, kRHO, "strip density at 20 degC"),
    typed("CP", UnitKind::heatCapacity, kCP, "strip heat capacity"),
    typed("ALPHA", UnitKind::perKelvin, kALPHA, "thermal expansion"),
    around("EPS_RATE_MEAN", UnitKind::strainRate, Presence::hot, &PassValues::EPS_RATE_MEAN,
           "mean strain rate: the pass's strain over the time in the bite"),
    around("T_ENTRY", UnitKind::celsius, Presence::hot, &PassValues::T_ENTRY,
           "strip temperature at the entry plane"),
    around("T_EXIT", UnitKind::celsius, Presence::hot, &PassValues::T_EXIT,
           "strip temperature at the exit plane"),
    around("T_RISE", UnitKind::kelvin, Presence::hot, &PassValues::T_RISE, "deformation heating"),
    around("T_DROP_ROLL", UnitKind::kelvin, Presence::hot, &PassValues::T_DROP_ROLL, "roll chill"),
    around("H1_HOT", UnitKind::length, Presence::hot, &PassValues::H1_HOT,
           "entry thickness solved, hot"),
    around("H2_HOT", UnitKind::length, Presence::hot, &PassValues::H2_HOT,
           "exit thickness solved, hot"),
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
  const passes::Answer& a = job.answer;
  switch (presence) {
    case Presence::geometry: return passes::passedGeometry(a);
    case Presence::summary: return passes::hasSummary(a);
    case Presence::neutralPoint: return passes::hasNeutralPoint(a);
    case Presence::rollSpeed: return passes::hasNeutralPoint(a) && job.has[kV];
    default: return false;
  }
}

// Whether a column of this presence has a value for the job.
bool reached(Presence presence, const PassJob& job) {
  const passes::Answer& a = job.answer;
  switch (presence) {
    case Presence::typed: return true;
    case Presence::line: return job.readable;
    case Presence::strain: return job.readable && a.strainKnown;
    case Presence::search: return job.readable && a.flattened;
    case Presence::hot: return job.readable && a.hot && isPass(a);
    case Presence::flattened:
      return passReported(job) && a.flattened && a.flattening.status == passes::FlatteningStatus::settled;
    default: return passReported(job) && passReached(presence, job);
  }
}

// The converged solver gives the pass's summary; of the values around a
// pass only the flow stress of the line (strain, flattening, slips,
// speeds and power are the console's passes').
bool givenBySolver(const ResultColumn& column, Solver solver) {
  return solver == Solver::console || column.presence == Presence::typed ||
         column.presence == Presence::line || column.field != nullptr;
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
  return "R, H1, H2, Y, SGB, SGF, U, CURVE, K, N, EPS0, S0, EPS, E, NU, V, FLOW, C, A, M1 to M9, "
         "EPS_MIN, T, TRANSFER, EMISSIVITY, H_CONV, T_AMBIENT, DESCALE, H_WATER, H_CONTACT, T_ROLL, "
         "ETA, RHO, CP, ALPHA";
}

std::string missingRequiredColumn(const std::function<bool(int)>& given) {
  for (int c = 0; c < kInputCount; ++c) {
    const InputColumn& column = kInputs[c];
    if (column.need == Need::required && !given(c))
      return std::string("column ") + column.name + ": required, but the header does not name it";
    if (column.need == Need::yield && !given(c) && !given(kCURVE) && !given(kFLOW))
      return std::string("column ") + column.name +
             ": required (or a flow curve: CURVE, K, N and EPS0 or S0), but the header names "
             "neither";
  }
  return "";
}

std::span<const ResultColumn> resultColumns() { return kResults; }

std::span<const ResultColumn> laterResultColumns() { return kLaterResults; }

std::span<const ResultColumn> hotResultColumns() { return kHotResults; }

bool isResultColumnName(std::string_view name) {
  for (const char* fixed : {"line", "case", "status", "message", "stage", "side", "step", "STEPS_PER_SIDE"})
    if (name == fixed) return true;
  for (const auto& table : {resultColumns(), laterResultColumns(), hotResultColumns()})
    for (const ResultColumn& column : table)
      if (name == column.name) return true;
  return false;
}

// Typed values are given as typed; the others only for a readable line
// (and a reported pass that got far enough).
std::optional<CellNumber> resultNumber(const ResultColumn& column, const PassJob& job) {
  if (column.unit == UnitKind::word) return std::nullopt;
  if (column.presence == Presence::typed) {
    if (!job.has[column.input]) return std::nullopt;
    return CellNumber{job.typed[column.input], true};
  }
  const passes::Answer& a = job.answer;
  if (!givenBySolver(column, a.solver) || !reached(column.presence, job)) return std::nullopt;
  if (column.field == nullptr) return CellNumber{toOutput(a.values.*column.value, column.unit, job.units), true};
  const double value = a.summary.*column.field;
  if (a.solver == Solver::console) return CellNumber{toOutput(static_cast<float>(value), column.unit, job.units), true};
  return CellNumber{toOutputDouble(value, column.unit, job.units), false};
}

std::optional<float> resultValue(const ResultColumn& column, const PassJob& job) {
  const auto number = resultNumber(column, job);
  if (!number) return std::nullopt;
  return static_cast<float>(number->value);
}

const char* resultWord(const ResultColumn& column, const PassJob& job) {
  if (column.unit != UnitKind::word || !job.has[column.input]) return nullptr;
  if (column.input == kFLOW) return flowLawName(job.request.hotMaterial.law);
  return job.request.curve.kind == passes::FlowCurve::Kind::swift ? "swift" : "ludwik";
}

const char* flowLawName(passes::FlowLaw law) { return passes::lawName(law); }

std::span<const StepColumn> stepColumns() { return kSteps; }

float stepValue(const StepColumn& column, const StepValues& step, Units units) {
  if (column.field == nullptr) return static_cast<float>(step.SL_ST);
  return toOutput(step.*column.field, column.unit, units);
}

std::string_view statusText(const PassJob& job, char (&buffer)[16]) {
  if (const char* word = fitStatusWord(job)) return word;
  if (!job.readable) return "error";
  switch (job.answer.status) {
    case passes::Status::ok: return "ok";
    case passes::Status::noNeutralPoint: return "no neutral point";
    case passes::Status::notConverged: return "not converged";
    case passes::Status::noFlattenedRadius: return "no flattened radius";
    default: break;
  }
  const int n = std::snprintf(buffer, sizeof buffer, "M%d", job.answer.fault.number);
  return std::string_view(buffer, static_cast<std::size_t>(n));
}

const char* stageName(Stage stage) {
  switch (stage) {
    case Stage::input: return "input";
    case Stage::geometry: return "geometry";
    case Stage::exitMarch:
    case Stage::entryMarch: return "march";
    case Stage::load: return "load";
    case Stage::summary: return "summary";
  }
  return "";
}

const char* sideName(Stage stage) {
  if (stage == Stage::exitMarch) return "exit";
  if (stage == Stage::entryMarch) return "entry";
  return nullptr;
}

}  // namespace orowan::batch
