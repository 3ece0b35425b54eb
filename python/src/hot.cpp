// The hot arguments and values of the Python module.
#include "python/src/hot.h"

#include <cmath>

#include "passes/hot_pass.h"
#include "passes/solve.h"

namespace py = pybind11;

namespace orowan::python {
namespace {

using passes::FlowLaw;

// A value as a typed single, widened; `otherwise` when absent or None.
double argument(const py::dict& values, const char* name, double otherwise) {
  if (!values.contains(name) || values[name].is_none()) return otherwise;
  return static_cast<double>(static_cast<float>(py::cast<double>(values[name])));
}

FlowLaw lawOf(const std::string& flow) {
  if (flow == "misaka") return FlowLaw::misaka;
  if (flow == "shida") return FlowLaw::shida;
  if (flow == "hensel-spittel") return FlowLaw::henselSpittel;
  throw py::value_error("flow: expected 'misaka', 'shida' or 'hensel-spittel', got '" + flow + "'");
}

// NaN unless `known`.
double valueOr(bool known, float value) { return known ? static_cast<double>(value) : NAN; }

}  // namespace

void setHot(Request& request, const std::string& flow, const py::dict& values) {
  passes::Request& r = request.pass;
  r.hot = true;
  passes::HotMaterial& m = r.hotMaterial;
  m.law = lawOf(flow);
  m.carbon = argument(values, "C", 0);
  m.epsMin = argument(values, "EPS_MIN", passes::kDefaultEpsMin);
  if (m.law == FlowLaw::henselSpittel) {
    m.coefficients = passes::HenselSpittel{};
    m.coefficients.A = argument(values, "A", 0) * passes::kPaPerKgfPerMm2 / 1e6;  // kgf/mm^2 to MPa
    const char* names[9] = {"M1", "M2", "M3", "M4", "M5", "M6", "M7", "M8", "M9"};
    for (int k = 0; k < 9; ++k) m.coefficients.m[k] = argument(values, names[k], 0);
  }
  r.heat = passes::StripHeat{};  // the defaults, for the arguments not given
  for (const passes::HeatField& f : passes::heatFields())
    r.heat.*f.field = argument(values, f.name, r.heat.*f.field);
  r.temperature = argument(values, "T", NAN);
}

void setTemperature(Request& request, double T) {
  request.pass.temperature = static_cast<double>(static_cast<float>(T));
}

py::tuple hotValuesOf(const Answer& answer) {
  const passes::Answer& a = answer.pass;
  const bool hot = a.hot && passes::isPass(a);
  const passes::PassValues& v = a.values;
  const std::string note = hot ? passes::validityNote(answer.hotMaterial, a.hotLimits) : "";
  return py::make_tuple(valueOr(hot, v.EPS_RATE_MEAN), valueOr(hot, v.T_ENTRY), valueOr(hot, v.T_EXIT),
                        valueOr(hot, v.T_RISE), valueOr(hot, v.T_DROP_ROLL), valueOr(hot, v.H1_HOT),
                        valueOr(hot, v.H2_HOT), valueOr(hot, v.Y_ENTRY), valueOr(hot, v.Y_EXIT),
                        valueOr(hot && passes::passedGeometry(a), v.Y_MEAN),
                        note.empty() ? py::object(py::none()) : py::object(py::str(note)));
}

std::string hotRefusalText(const passes::Answer& a, const passes::Request& request) {
  using Kind = passes::HotRefusal::Kind;
  const std::string law = passes::lawName(request.hotMaterial.law);
  switch (a.refusal) {
    case passes::Refusal::hotWithoutSpeed: return "V: a hot pass needs the roll speed (above 0)";
    case passes::Refusal::hotWithoutStrain: return "eps: the strain brought in is not known";
    case passes::Refusal::hotNotFollowed:
      return "flow: a table of 50 points cannot follow the " + law + " law within 0.1 %";
    case passes::Refusal::hotRefused: break;
    default: return "";
  }
  const std::string value = passes::singleText(a.hotRefusal.value);
  switch (a.hotRefusal.kind) {
    case Kind::zeroStress: return "EPS_MIN: the " + law + " law gives no positive stress on the arc (" + value + ")";
    case Kind::beyondSingle: return "flow: the " + law + " law's stress is beyond the single-precision range";
    case Kind::belowAbsoluteZero: return "T: a temperature below absolute zero (" + value + " degC)";
    case Kind::negativeTime: return "TRANSFER, DESCALE: a time cannot be negative (" + value + ")";
    case Kind::carbonOutside: return "C: the carbon content must be within 0 and 1.5 % (" + value + ")";
    case Kind::notPositive: return "RHO, CP, ALPHA: a density, heat capacity or hot thickness not above 0 (" + value + ")";
    case Kind::negativeCoefficient: return "H_CONV, H_WATER, H_CONTACT: cannot be negative (" + value + ")";
    case Kind::fractionOutside: return "EMISSIVITY, ETA: must be within 0 and 1 (" + value + ")";
    default: break;
  }
  return "flow: the hot pass cannot be computed (" + value + ")";
}

}  // namespace orowan::python
