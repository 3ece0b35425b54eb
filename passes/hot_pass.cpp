// A hot pass's temperatures and table around the console's analysis.
#include "passes/hot_pass.h"

#include <cmath>
#include <string>

namespace orowan::passes {
namespace {

void refuseHot(Answer& answer, Refusal why, HotRefusal hot = {}) {
  answer.status = Status::refused;
  answer.refusal = why;
  answer.hotRefusal = hot;
}

// The thermal results, rounded once to single precision where stored.
void storeHotValues(const HotPassResult& r, Answer& answer) {
  PassValues& v = answer.values;
  v.EPS_RATE_MEAN = static_cast<float>(r.EPS_RATE_MEAN);
  v.T_ENTRY = static_cast<float>(r.T_ENTRY);
  v.T_EXIT = static_cast<float>(r.T_EXIT);
  v.T_RISE = static_cast<float>(r.T_RISE);
  v.T_DROP_ROLL = static_cast<float>(r.T_DROP_ROLL);
  v.H1_HOT = r.H1;
  v.H2_HOT = r.H2;
  answer.hot = true;
  answer.hotLimits = r.yield.limits;
  answer.curveFitError = r.yield.fit.worstMidpointError;
}

HotPassInput hotInputOf(const Request& request, float radius) {
  HotPassInput in;
  in.R = radius;
  in.H1 = request.input.H1;
  in.H2 = request.input.H2;
  in.strainIn = request.strainIn;
  in.V = request.rollSpeed;
  in.T = request.temperature;
  in.material = request.hotMaterial;
  in.heat = request.heat;
  return in;
}

}  // namespace

bool prepareHotPass(const Request& request, Answer& answer, float radius, PassInput& at) {
  const HotPassResult r = solveHotPass(hotInputOf(request, radius), answer.curveTable);
  at.R = radius;
  if (r.refusal.kind == HotRefusal::Kind::noArcOfContact) {
    at.H1 = r.H1, at.H2 = r.H2;
    at.yieldTable = nullptr;
    at.meanYieldStress =
        static_cast<float>(hotFlowStress(request.hotMaterial, r.T_ENTRY, request.strainIn, 1.0));
    answer.curveFitError = NAN;
    return true;
  }
  if (r.refusal) return refuseHot(answer, Refusal::hotRefused, r.refusal), false;
  storeHotValues(r, answer);
  if (!r.yield.fit.withinTolerance) return refuseHot(answer, Refusal::hotNotFollowed), false;
  at.H1 = r.H1, at.H2 = r.H2;
  at.yieldTable = &answer.curveTable;
  if (answer.strainKnown)
    answer.values.EPS_OUT = static_cast<float>(strainOut(r.H1, r.H2, request.strainIn));
  return true;
}

void setHotStresses(const Request& request, Answer& answer, double XL) {
  PassValues& v = answer.values;
  const double rate = v.EPS_RATE_MEAN;
  v.Y_ENTRY = static_cast<float>(hotFlowStress(request.hotMaterial, v.T_ENTRY, v.EPS_IN, rate));
  v.Y_EXIT = static_cast<float>(hotFlowStress(request.hotMaterial, v.T_EXIT, v.EPS_OUT, rate));
  v.Y_MEAN = answer.curveTable.count > 0 ? static_cast<float>(tableMean(answer.curveTable, XL) / 1.15)
                                         : v.Y_ENTRY;
}

PassInput hotSized(const Request& request, const Answer& answer) {
  PassInput in = request.input;
  if (answer.hot) in.H1 = answer.values.H1_HOT, in.H2 = answer.values.H2_HOT;
  return in;
}

std::span<const HeatField> heatFields() {
  static constexpr HeatField kFields[] = {
      {"TRANSFER", &StripHeat::TRANSFER},   {"EMISSIVITY", &StripHeat::EMISSIVITY},
      {"H_CONV", &StripHeat::H_CONV},       {"T_AMBIENT", &StripHeat::T_AMBIENT},
      {"DESCALE", &StripHeat::DESCALE},     {"H_WATER", &StripHeat::H_WATER},
      {"H_CONTACT", &StripHeat::H_CONTACT}, {"T_ROLL", &StripHeat::T_ROLL},
      {"ETA", &StripHeat::ETA},             {"RHO", &StripHeat::RHO},
      {"CP", &StripHeat::CP},               {"ALPHA", &StripHeat::ALPHA},
  };
  return kFields;
}

const char* lawName(FlowLaw law) {
  switch (law) {
    case FlowLaw::misaka: return "misaka";
    case FlowLaw::shida: return "shida";
    case FlowLaw::henselSpittel: return "hensel-spittel";
  }
  return "";
}

std::string validityNote(const HotMaterial& material, unsigned bits) {
  if (bits == 0) return "";
  const Validity v = publishedValidity(material);
  std::string text = std::string("outside the published validity of the ") +
                     lawName(material.law) + " law (computed all the same):";
  const auto add = [&](unsigned bit, const char* what, double limit, const char* unit) {
    if (bits & bit) text += std::string(text.back() == ':' ? " " : "; ") + what + singleText(limit) + unit;
  };
  add(kTemperatureBelow, "temperature on the arc (T_ENTRY to T_EXIT) below ", v.temperature.low, " degC");
  add(kTemperatureAbove, "temperature on the arc (T_ENTRY to T_EXIT) above ", v.temperature.high, " degC");
  add(kStrainBelow, "strain (EPS_IN to EPS_OUT) below ", v.strain.low, "");
  add(kStrainAbove, "strain (EPS_IN to EPS_OUT) above ", v.strain.high, "");
  add(kRateBelow, "EPS_RATE_MEAN below ", v.strainRate.low, " /s");
  add(kRateAbove, "EPS_RATE_MEAN above ", v.strainRate.high, " /s");
  add(kCarbonBelow, "C below ", v.carbon.low, " %");
  add(kCarbonAbove, "C above ", v.carbon.high, " %");
  return text;
}

}  // namespace orowan::passes
