// A hot pass's columns, checked and carried, and a hot answer's words.
#include "batch/hot_request.h"

#include <cmath>
#include <strings.h>

#include "passes/hot_flow.h"
#include "passes/hot_pass.h"
#include "passes/solve.h"

namespace orowan::batch {
namespace {

using passes::FlowLaw;
using passes::singleText;

std::string name(int c) { return inputColumns()[c].name; }

// "column X: <says>, found <value>".
std::string bad(int c, const char* says, float value) {
  return "column " + name(c) + ": " + says + ", found " + singleText(value);
}

// A hot column given on a line without FLOW, or Y/CURVE beside FLOW.
std::string checkLawChoice(const PassJob& job) {
  if (!job.has[kFLOW]) {
    for (int c = kC; c <= kALPHA; ++c)
      if (job.has[c]) return "column " + name(c) + ": a hot pass's value, but FLOW is empty";
    return "";
  }
  if (job.has[kY]) return "columns Y and FLOW: give the mean yield stress or a hot law, not both";
  if (job.has[kCURVE]) return "columns CURVE and FLOW: give a flow curve or a hot law, not both";
  return "";
}

// The law's own parameters: C for misaka and shida, A (M1 to M9, 0 when
// empty) for hensel-spittel; the other law's are refused.
std::string checkLawParameters(const PassJob& job) {
  const FlowLaw law = job.request.hotMaterial.law;
  const char* word = flowLawName(law);
  if (law == FlowLaw::henselSpittel) {
    if (!job.has[kA]) return "column A: missing; the hensel-spittel law needs A (and M1 to M9, 0 when empty)";
    if (job.has[kC]) return std::string("column C: not a parameter of the hensel-spittel law (A, M1 to M9)");
    return "";
  }
  if (!job.has[kC]) return std::string("column C: missing; the ") + word + " law needs the carbon content C (mass %)";
  for (int c = kA; c <= kM9; ++c)
    if (job.has[c]) return "column " + name(c) + ": not a parameter of the " + word + " law (C)";
  return "";
}

// The bounds of the hot values given: "" or the first one broken.
std::string checkHotBounds(const PassJob& job) {
  const auto has = [&](int c) { return job.has[c]; };
  const auto v = [&](int c) { return job.typed[c]; };
  if (has(kC) && !(v(kC) >= 0 && v(kC) <= passes::kCarbonRefusedAbove))
    return bad(kC, "must be within 0 and 1.5 (mass %, carbon steels)", v(kC));
  if (has(kA) && !(v(kA) > 0)) return bad(kA, "must be above 0", v(kA));
  if (has(kEPS_MIN) && !(v(kEPS_MIN) > 0)) return bad(kEPS_MIN, "must be above 0", v(kEPS_MIN));
  for (int c : {kT, kT_AMBIENT, kT_ROLL})
    if (has(c) && !(v(c) >= passes::kAbsoluteZeroCelsius))
      return bad(c, "must not be below absolute zero (-273.15 degC)", v(c));
  for (int c : {kTRANSFER, kDESCALE})
    if (has(c) && !(v(c) >= 0)) return bad(c, "a time must not be negative", v(c));
  for (int c : {kH_CONV, kH_WATER, kH_CONTACT, kALPHA})
    if (has(c) && !(v(c) >= 0)) return bad(c, "must not be negative", v(c));
  for (int c : {kEMISSIVITY, kETA})
    if (has(c) && !(v(c) >= 0 && v(c) <= 1)) return bad(c, "must be within 0 and 1", v(c));
  for (int c : {kRHO, kCP})
    if (has(c) && !(v(c) > 0)) return bad(c, "must be above 0", v(c));
  return "";
}

// T given, or taken from the line before on a schedule line.
std::string takeTemperature(bool continues, long caseIndex, const Schedule& schedule, PassJob& job) {
  if (job.has[kT]) return "";
  if (!continues || schedule.first())
    return "column T: missing; a hot pass needs the strip's temperature";
  if (!schedule.temperatureKnown(caseIndex))
    return "column T: empty, and the line before left no temperature to carry on (give T)";
  job.typed[kT] = schedule.temperatureOut(caseIndex);
  job.has[kT] = true;
  return "";
}

// A value given, or the default.
double valueOr(const PassJob& job, int c, double otherwise) {
  return job.has[c] ? double(job.typed[c]) : otherwise;
}

}  // namespace

std::string readFlowLaw(const FieldText& field, PassJob& job) {
  if (!field.present || field.text.empty()) return "";
  FlowLaw& law = job.request.hotMaterial.law;
  if (strcasecmp(field.text.c_str(), "misaka") == 0) law = FlowLaw::misaka;
  else if (strcasecmp(field.text.c_str(), "shida") == 0) law = FlowLaw::shida;
  else if (strcasecmp(field.text.c_str(), "hensel-spittel") == 0) law = FlowLaw::henselSpittel;
  else return "column FLOW: expected misaka, shida or hensel-spittel, found \"" + field.text + "\"";
  job.has[kFLOW] = true;
  return "";
}

std::string checkHotColumns(const InputLine&, bool continues, long caseIndex, const Schedule& schedule,
                            PassJob& job) {
  std::string problem = checkLawChoice(job);
  if (problem.empty() && job.has[kFLOW]) problem = checkLawParameters(job);
  if (problem.empty()) problem = checkHotBounds(job);
  if (problem.empty() && job.has[kFLOW]) problem = takeTemperature(continues, caseIndex, schedule, job);
  if (problem.empty() && job.has[kFLOW] && !job.has[kV])
    problem = "column V: missing; a hot pass needs the roll speed (its strain rate and time in the bite)";
  return problem;
}

void fillHotRequest(PassJob& job) {
  passes::Request& r = job.request;
  r.hot = job.has[kFLOW];
  if (!r.hot) return;
  passes::HotMaterial& m = r.hotMaterial;
  m.carbon = valueOr(job, kC, 0);
  m.epsMin = valueOr(job, kEPS_MIN, passes::kDefaultEpsMin);
  if (m.law == FlowLaw::henselSpittel) {
    m.coefficients = passes::HenselSpittel{};
    // A in the line's stress unit; the set keeps it in MPa.
    const double a = job.typed[kA];
    m.coefficients.A = job.units == Units::si ? a : a * passes::kPaPerKgfPerMm2 / 1e6;
    for (int k = 0; k < 9; ++k) m.coefficients.m[k] = valueOr(job, kM1 + k, 0);
  }
  r.heat = passes::StripHeat{};  // the defaults, for the columns not given
  for (const passes::HeatField& f : passes::heatFields())
    r.heat.*f.field = valueOr(job, inputColumnIndex(f.name), r.heat.*f.field);
  r.temperature = job.typed[kT];
}

std::string hotRefusalText(const PassJob& job) {
  using Kind = passes::HotRefusal::Kind;
  const passes::Answer& a = job.answer;
  const char* law = flowLawName(job.request.hotMaterial.law);
  if (a.refusal == passes::Refusal::hotWithoutSpeed)
    return "column V: must be above 0 for a hot pass (its strain rate and time in the bite)";
  if (a.refusal == passes::Refusal::hotWithoutStrain)
    return "column EPS: empty, and the line before left no strain to carry on (give EPS)";
  if (a.refusal == passes::Refusal::hotNotFollowed)
    return std::string("column FLOW: a table of 50 points cannot follow the ") + law + " law within 0.1 %";
  const std::string value = singleText(a.hotRefusal.value);
  switch (a.hotRefusal.kind) {
    case Kind::zeroStress:
      return std::string("column EPS_MIN: the ") + law + " law gives no positive stress on the arc (" + value +
             "); give EPS_MIN > 0";
    case Kind::beyondSingle:
      return std::string("column FLOW: the ") + law + " law's stress is beyond the single-precision range (" +
             value + ")";
    case Kind::belowAbsoluteZero:
      return "columns T, H_CONTACT, T_ROLL: the strip would cool below absolute zero (" + value + " degC)";
    case Kind::notPositive:
      return "column ALPHA: the hot entry thickness is not positive (" + value + " mm)";
    default: break;
  }
  return "column FLOW: the hot pass cannot be computed (" + value + ")";
}

std::string hotValidityNote(const PassJob& job) {
  return passes::validityNote(job.request.hotMaterial, job.answer.hotLimits);
}

}  // namespace orowan::batch
