// The compiled part of the Python package `orowan`: requests built from
// arguments the package has already checked, passes solved with the GIL
// released (one, or many on several threads), answers handed back with
// their step arrays as numpy arrays. Argument checks and their messages,
// result objects, frames and plots live in the package's Python part.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cstdio>
#include <numbers>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "python/src/hot.h"
#include "python/src/calibrate_bindings.h"
#include "python/src/passes.h"
#include "python/src/setup_bindings.h"

namespace py = pybind11;
using namespace orowan::python;

namespace {

// A number as the console takes a typed REAL: the double rounded to the
// nearest single-precision value (the console rounds strtod's double the
// same way). The package has checked that it is finite and in range.
float single(double x) { return static_cast<float>(x); }

double widenedSingle(double x) { return static_cast<double>(single(x)); }

// ---- requests

using Table = std::pair<py::array_t<float, py::array::c_style | py::array::forcecast>,
                        py::array_t<float, py::array::c_style | py::array::forcecast>>;

// A checked (positions, values) pair as the analysis's property table,
// its last value held beyond its last position by a point at 10000 mm
// when there is room (as the batch tool's friction tables).
std::shared_ptr<const orowan::PropertyPoints> tableOf(const std::optional<Table>& table) {
  if (!table) return nullptr;
  const auto& [positions, values] = *table;
  const py::ssize_t n = positions.size();
  if (n < 1 || n > orowan::kMaxTablePoints || values.size() != n)
    throw py::value_error("table: 1 to 50 positions and as many values");
  auto points = std::make_shared<orowan::PropertyPoints>();
  points->count = static_cast<int>(n);
  for (py::ssize_t k = 0; k < n; ++k) {
    points->positions[k] = positions.at(k);
    points->values[k] = values.at(k);
  }
  orowan::passes::holdLastValue(*points);
  return points;
}

// curve = (kind, K, N, EPS0, S0), kind "swift" or "ludwik".
void setCurve(orowan::passes::Request& request, const py::tuple& curve) {
  const std::string kind = py::cast<std::string>(curve[0]);
  if (kind != "swift" && kind != "ludwik") throw py::value_error("curve: swift or ludwik");
  request.hasCurve = true;
  request.curve.kind = kind == "swift" ? orowan::passes::FlowCurve::Kind::swift : orowan::passes::FlowCurve::Kind::ludwik;
  request.curve.K = widenedSingle(py::cast<double>(curve[1]));
  request.curve.N = widenedSingle(py::cast<double>(curve[2]));
  request.curve.EPS0 = widenedSingle(py::cast<double>(curve[3]));
  request.curve.S0 = widenedSingle(py::cast<double>(curve[4]));
}

Request makeRequest(double R, double H1, double H2, std::optional<double> Y, double SGB, double SGF,
                    std::optional<double> U, std::optional<Table> yieldTable,
                    std::optional<Table> frictionTable, std::optional<py::tuple> curve,
                    double eps, const std::string& solver, std::optional<double> E, double NU,
                    std::optional<double> V, bool steps) {
  Request request;
  orowan::passes::Request& r = request.pass;
  orowan::PassInput& in = r.input;
  in.R = single(R), in.H1 = single(H1), in.H2 = single(H2);
  in.meanYieldStress = single(Y.value_or(0)), in.SGB = single(SGB), in.SGF = single(SGF);
  in.friction = single(U.value_or(0));
  request.given[3] = Y.has_value(), request.given[6] = U.has_value();
  request.yieldTable = tableOf(yieldTable);
  request.frictionTable = tableOf(frictionTable);
  r.yieldTable = request.yieldTable.get();
  r.frictionTable = request.frictionTable.get();
  r.strainIn = widenedSingle(eps);  // with or without a curve: the strain out follows it
  if (curve) setCurve(r, *curve);
  if (solver != "console" && solver != "converged") throw py::value_error("solver: console or converged");
  r.solver = solver == "console" ? Solver::console : Solver::converged;
  if (E) {
    r.flatten = true;
    r.rolls = {widenedSingle(*E), widenedSingle(NU)};
  }
  if (V) r.rollSpeed = widenedSingle(*V);
  r.keepSteps = steps;
  return request;
}

// ---- answers

const char* statusName(Status status) {
  switch (status) {
    case Status::ok: return "ok";
    case Status::noNeutralPoint: return "no neutral point";
    case Status::notConverged: return "not converged";
    case Status::fault: return "fault";
    case Status::noFlattenedRadius: return "no flattened radius";
    case Status::refused: return "refused";
    case Status::outOfMemory: return "out of memory";
    case Status::notSolved: return "not solved";
  }
  return "";
}

const char* flatteningName(orowan::passes::FlatteningStatus status) {
  using orowan::passes::FlatteningStatus;
  switch (status) {
    case FlatteningStatus::settled: return "settled";
    case FlatteningStatus::belowMinimumGauge: return "below minimum gauge";
    case FlatteningStatus::notSettled: return "not settled";
    case FlatteningStatus::noNeutralPoint: return "no neutral point";
    case FlatteningStatus::fault: return "fault";
  }
  return "";
}

py::object intOrNone(int n) { return n > 0 ? py::object(py::int_(n)) : py::none(); }
py::object textOrNone(const std::string& s) { return s.empty() ? py::none() : py::object(py::str(s)); }

// Summary, neutral step, grid, curve and mill values in the order of
// PassResult's fields (the package's _VALUE_FIELDS).
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

const char* convergedFaultName(orowan::accuracy::FaultKind kind) {
  switch (kind) {
    case orowan::accuracy::FaultKind::domain: return "domain error";
    case orowan::accuracy::FaultKind::divideByZero: return "division by zero";
    case orowan::accuracy::FaultKind::overflow: return "overflow";
    case orowan::accuracy::FaultKind::none: break;
  }
  return "fault";
}

// A value of the answer's pass when `known`, else NaN.
double valueOr(bool known, double value) { return known ? value : NAN; }

py::tuple valuesOf(const Answer& answer) {
  const orowan::passes::Answer& a = answer.pass;
  const orowan::passes::Summary& s = a.summary;
  const orowan::passes::PassValues& v = a.values;
  const bool mill = orowan::passes::hasNeutralPoint(a) && a.solver == Solver::console;
  const bool speeds = mill && answer.rollSpeedGiven;
  const bool settled = a.flattened && a.flattening.status == orowan::passes::FlatteningStatus::settled;
  return py::make_tuple(
      s.reductionRatio, s.contactLength, s.contactAngle, s.neutralPosition, s.neutralAngle,
      s.neutralForce, s.neutralPressure, s.meanRollPressure, s.rollingForce, s.torque,
      s.torqueArm, intOrNone(a.solver == Solver::console ? a.neutralStep : 0),
      intOrNone(a.solver == Solver::converged ? a.stepsPerSide : 0), valueOr(a.strainKnown, v.EPS_OUT),
      a.curveFitError, a.flattened ? py::object(py::str(flatteningName(a.flattening.status))) : py::none(),
      valueOr(settled, v.R_FLAT), valueOr(mill, v.FORWARD_SLIP), valueOr(mill, v.BACKWARD_SLIP),
      valueOr(speeds, v.V_EXIT), valueOr(speeds, v.V_ENTRY), valueOr(speeds, v.POWER));
}

// The fault's M number, message, stage, side and step ("" and None where
// the converged solver has none).
py::tuple faultOf(const Answer& answer) {
  const orowan::passes::Answer& a = answer.pass;
  const std::string number = "M" + std::to_string(a.fault.number);
  if (a.solver == Solver::converged)
    return py::make_tuple(number, std::string(convergedFaultName(a.convergedFault)) + ": " + a.convergedWhere,
                          py::none(), py::none(), py::none());
  const orowan::Stage stage = a.fault.stage;
  const char* side = stage == orowan::Stage::exitMarch ? "exit" : stage == orowan::Stage::entryMarch ? "entry" : "";
  return py::make_tuple(number, std::string(a.fault.message), py::str(stageName(stage)), textOrNone(side),
                        intOrNone(a.fault.step));
}

py::tuple inputsOf(const Answer& a) {
  py::tuple t(7);
  for (int i = 0; i < 7; ++i)
    t[i] = a.given[i] ? py::object(py::float_(a.typed[i])) : py::object(py::none());
  return t;
}

// One column of step records as a new numpy array.
template <typename T, typename Record, typename Field>
py::array_t<T> column(const std::vector<Record>& steps, Field field) {
  py::array_t<T> out(static_cast<py::ssize_t>(steps.size()));
  auto view = out.template mutable_unchecked<1>();
  for (std::size_t i = 0; i < steps.size(); ++i) view(static_cast<py::ssize_t>(i)) = field(steps[i]);
  return out;
}

// The console's steps: every stored column under the report's label.
py::dict consoleSteps(const std::vector<orowan::StepValues>& steps) {
  using orowan::StepValues;
  static const std::pair<const char*, float StepValues::*> floats[] = {
      {"X", &StepValues::X},     {"PHI", &StepValues::PHI}, {"O", &StepValues::O},
      {"F", &StepValues::F},     {"P", &StepValues::P},     {"P/K", &StepValues::P_K},
      {"SGX", &StepValues::SGX}, {"SGX/K", &StepValues::SGX_K}, {"TAU", &StepValues::TAU},
      {"H", &StepValues::H},     {"U", &StepValues::U},     {"RK", &StepValues::RK},
      {"A", &StepValues::A},     {"W", &StepValues::W}};
  py::dict d;
  for (const auto& [label, field] : floats) {
    if (std::string(label) == "F")  // the report's order: SL/ST before F
      d["SL/ST"] = column<std::int32_t>(steps, [](const StepValues& s) { return s.SL_ST; });
    d[label] = column<float>(steps, [f = field](const StepValues& s) { return s.*f; });
  }
  return d;
}

// The converged solver's nodes: position, angle, force, pressure, contact.
py::dict convergedSteps(const std::vector<orowan::accuracy::StepRecord>& steps) {
  using orowan::accuracy::StepRecord;
  constexpr double kDegrees = 180.0 / std::numbers::pi;
  py::dict d;
  d["X"] = column<double>(steps, [](const StepRecord& s) { return s.X; });
  d["PHI"] = column<double>(steps, [](const StepRecord& s) { return s.phi; });
  d["O"] = column<double>(steps, [&](const StepRecord& s) { return s.phi * kDegrees; });
  d["SL/ST"] = column<std::int32_t>(steps, [](const StepRecord& s) { return s.slipStick; });
  d["F"] = column<double>(steps, [](const StepRecord& s) { return s.F; });
  d["P"] = column<double>(steps, [](const StepRecord& s) { return s.P; });
  return d;
}

// The steps of one side, or None when they were not kept.
py::object stepsOf(const Answer& a, const std::string& side) {
  if (side != "exit" && side != "entry") throw py::value_error("side: exit or entry");
  const bool exit = side == "exit";
  if (a.pass.solver == Solver::converged) {
    const auto& steps = exit ? a.pass.convergedExit : a.pass.convergedEntry;
    return steps.empty() ? py::none() : py::object(convergedSteps(steps));
  }
  const auto& steps = exit ? a.exit : a.entry;
  return steps.empty() ? py::none() : py::object(consoleSteps(steps));
}

py::object curveTableOf(const Answer& a) {
  const orowan::PropertyPoints& t = a.pass.curveTable;
  if (t.count == 0) return py::none();
  py::array_t<float> positions(t.count), values(t.count);
  std::copy(t.positions, t.positions + t.count, positions.mutable_data());
  std::copy(t.values, t.values + t.count, values.mutable_data());
  return py::make_tuple(positions, values);
}

// ---- solving

Answer solveOne(const Request& request) {
  Answer answer;
  {
    py::gil_scoped_release release;
    auto scratch = std::make_unique<orowan::PassResult>();
    solveRequest(request, answer, *scratch);
  }
  return answer;
}

// While the threads work, the calling thread looks for a signal (Ctrl-C)
// now and then; a pending one stops the work and is raised afterwards.
void checkSignals(void* raised, std::atomic<bool>& stop) {
  py::gil_scoped_acquire acquire;
  if (PyErr_CheckSignals() != 0) {
    *static_cast<bool*>(raised) = true;
    stop = true;
  }
}

py::list solveMany(const py::list& requestList, int jobs) {
  std::vector<Request> requests;
  requests.reserve(requestList.size());
  for (const py::handle item : requestList) requests.push_back(py::cast<const Request&>(item));
  std::vector<Answer> answers;
  bool raised = false;
  {
    py::gil_scoped_release release;
    std::atomic<bool> stop{false};
    solveRequests(requests, answers, jobs, stop, checkSignals, &raised);
  }
  if (raised) throw py::error_already_set();
  py::list out(answers.size());
  for (std::size_t i = 0; i < answers.size(); ++i) out[i] = py::cast(std::move(answers[i]));
  return out;
}

}  // namespace

PYBIND11_MODULE(_orowan, m) {
  m.doc() = "The compiled part of orowan: use the orowan package, not this module.";
  orowan::python::addSetupBindings(m);

  py::class_<Request>(m, "Request")
      .def(py::init(&makeRequest), py::kw_only(), py::arg("R"), py::arg("H1"), py::arg("H2"),
           py::arg("Y").none(true), py::arg("SGB"), py::arg("SGF"), py::arg("U").none(true),
           py::arg("yield_table").none(true), py::arg("friction_table").none(true),
           py::arg("curve").none(true), py::arg("eps"), py::arg("solver"),
           py::arg("E").none(true), py::arg("NU"), py::arg("V").none(true), py::arg("steps"))
      .def("set_hot", &setHot, py::arg("flow"), py::arg("values"))
      .def("set_temperature", &setTemperature, py::arg("T"));

  py::class_<Answer>(m, "Answer")
      .def_property_readonly("status", [](const Answer& a) { return statusName(a.status); })
      .def_property_readonly("solver", [](const Answer& a) {
        return a.pass.solver == Solver::console ? "console" : "converged";
      })
      .def_property_readonly("refusal", [](const Answer& a) { return a.refusal; })
      .def("values", &valuesOf)
      .def("fault", &faultOf)
      .def("inputs", &inputsOf)
      .def("steps", &stepsOf, py::arg("side"))
      .def("curve_table", &curveTableOf)
      .def("hot_values", &hotValuesOf);

  m.def("solve", &solveOne, py::arg("request"));
  m.def("solve_many", &solveMany, py::arg("requests"), py::arg("jobs"));
  m.def("_time_library_pass", [](int count) {
    py::gil_scoped_release release;
    return timeLibraryPass(count);
  }, py::arg("count"));
  m.attr("VERSION") = OROWAN_VERSION;
  m.attr("MAX_TABLE_POINTS") = orowan::kMaxTablePoints;
  m.attr("DEFAULT_POISSON_RATIO") = static_cast<double>(orowan::passes::kDefaultPoissonRatio);
  m.def("strain_out", [](double H1, double H2, double eps) {
    return static_cast<double>(static_cast<float>(orowan::passes::strainOut(single(H1), single(H2), widenedSingle(eps))));
  }, py::arg("H1"), py::arg("H2"), py::arg("eps"));
  orowan::python::registerCalibrate(m);
}
