// The module's fits and calibrations: a pandas frame comes in as the CSV
// text of its columns (the batch tool's columns, read by the batch tool's
// own readers), and goes out as the batch tool's result text, the
// calibration's summary, or one part's normal equations for a
// distributed least squares (orowan.dask).
#include "python/src/calibrate_bindings.h"

#include <pybind11/stl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <stdexcept>

#include "batch/fit.h"
#include "batch/pipeline.h"
#include "batch/writers.h"
#include "calibrate/least_squares.h"
#include "calibrate/report.h"

namespace orowan::python {
namespace {

namespace py = pybind11;
namespace cal = orowan::calibrate;

batch::Units unitsOf(const std::string& units) {
  if (units == "kgf") return batch::Units::report;
  if (units == "si") return batch::Units::si;
  throw py::value_error("units: expected 'kgf' or 'si', got '" + units + "'");
}

// Everything written to a descriptor of memory, read back.
std::string readBack(int fd) {
  std::string out;
  ::lseek(fd, 0, SEEK_SET);
  char buffer[1 << 16];
  for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;) out.append(buffer, std::size_t(n));
  return out;
}

// The frame's passes through the batch tool's pipeline (with --fit when
// `fit` is not empty): its CSV result text. A header the tool refuses
// raises ValueError.
std::string batchRun(const std::string& text, const std::string& fit, const std::string& units, unsigned jobs) {
  batch::FitRequest request;
  if (!fit.empty()) {
    const auto parsed = batch::parseFitRequest(fit);
    if (!parsed) throw py::value_error("target: expected 'U', 'Y', 'U,Y' or 'H2', got '" + fit + "'");
    request = *parsed;
  }
  const batch::Units u = unitsOf(units);
  py::gil_scoped_release release;
  batch::ByteSource bytes{std::string_view(text)};
  const auto source = batch::openPassSource(bytes, batch::InputFormat::csv);
  const std::string missing = batch::missingRequiredColumn(
      [&](int c) { return source->names(c) || batch::fitStartColumn(request, c); });
  if (!missing.empty()) {
    py::gil_scoped_acquire acquire;
    throw py::value_error(missing);
  }
  const int fd = ::memfd_create("orowan-results", MFD_CLOEXEC);
  if (fd < 0) throw std::runtime_error("no memory file for the results");
  std::FILE* messages = std::fopen("/dev/null", "w");
  std::string out;
  {
    batch::OutputFile file(fd, "results");
    const auto writer = batch::makeCsvResultWriter(file, batch::Layout{false, u, false, {}, request.on});
    const std::vector<batch::ResultWriter*> writers{writer.get()};
    batch::RunSettings settings{"frame", u, jobs, messages, passes::Solver::console, request};
    batch::Progress progress(false, -1);
    writer->begin();
    batch::runPasses(*source, batch::Sweep{}, settings, writers, progress);
    writer->end();
    file.flush();
  }
  if (messages != nullptr) std::fclose(messages);
  out = readBack(fd);
  ::close(fd);
  return out;
}

cal::Loss lossOf(const std::string& loss) {
  if (loss == "none" || loss.empty()) return cal::Loss::squared;
  if (loss == "huber") return cal::Loss::huber;
  if (loss == "cauchy") return cal::Loss::cauchy;
  throw py::value_error("loss: expected None, 'huber' or 'cauchy', got '" + loss + "'");
}

// Laws parsed, with ValueError for a bad one.
std::pair<cal::Law, cal::Law> lawsOf(const std::string& friction, const std::string& factor) {
  try {
    return {cal::parseFrictionLaw(friction), cal::parseFactorLaw(factor)};
  } catch (const std::invalid_argument& e) {
    throw py::value_error(e.what());
  }
}

cal::Log logOf(const std::string& text, const cal::Law& friction, const cal::Law& factor, const std::string& units) {
  try {
    return cal::readLog("frame", text, cal::lawColumns(friction, factor), unitsOf(units));
  } catch (const std::runtime_error& e) {
    throw py::value_error(e.what());
  }
}

py::list refusalsOf(const cal::Log& log) {
  py::list out;
  for (const cal::Refusal& r : log.refused) out.append(py::make_tuple(r.line, r.why));
  return out;
}

// The whole calibration on this machine: (summary JSON, residual CSV).
py::tuple calibrateText(const std::string& text, const std::string& friction, const std::string& factor,
                        const std::string& loss, double scale, unsigned jobs, int iterations, const std::string& units) {
  const auto [f, k] = lawsOf(friction, factor);
  const cal::Log log = logOf(text, f, k, units);
  if (log.lines.empty()) throw py::value_error("no line of the frame can be used");
  cal::Model model = cal::makeModel(f, k, log);
  model.loss = lossOf(loss);
  model.lossScale = scale;
  cal::Calibration c;
  {
    py::gil_scoped_release release;
    c = cal::calibrate(model, log, cal::Settings{jobs, iterations, nullptr});
  }
  return py::make_tuple(cal::summaryJson(model, log, c), cal::residualsCsv(log, c));
}

// The parameters' names and start values for the laws and groups.
py::tuple parametersOf(const std::string& friction, const std::string& factor, std::vector<std::string> frictionGroups,
                       std::vector<std::string> factorGroups) {
  const auto [f, k] = lawsOf(friction, factor);
  const cal::Model m = cal::makeModel(f, k, cal::Log{}, std::move(frictionGroups), std::move(factorGroups));
  return py::make_tuple(m.names, m.start());
}

// One part's normal equations at the parameters: (JᵀWJ rows, JᵀWr, cost,
// residuals, failed lines, refusals); without derivatives the cost alone.
py::tuple normalEquationsOf(const std::string& text, const std::string& friction, const std::string& factor,
                            std::vector<std::string> frictionGroups, std::vector<std::string> factorGroups,
                            const std::vector<double>& parameters, const std::string& loss, double scale,
                            unsigned jobs, const std::string& units, bool derivatives) {
  const auto [f, k] = lawsOf(friction, factor);
  const cal::Log log = logOf(text, f, k, units);
  cal::Model m = cal::makeModel(f, k, log, std::move(frictionGroups), std::move(factorGroups));
  m.loss = lossOf(loss);
  m.lossScale = scale;
  if (parameters.size() != m.names.size()) throw py::value_error("parameters: expected " + std::to_string(m.names.size()));
  cal::NormalEquations e;
  {
    py::gil_scoped_release release;
    e = cal::normalEquations(m, log, parameters, jobs, derivatives);
  }
  return py::make_tuple(e.JtJ, e.Jtr, e.cost, e.residuals, e.failed, refusalsOf(log));
}

// Ceres's minimisation (the one orowan-calibrate runs) over sums that a
// Python callable gives: callback(parameters, derivatives) -> (JᵀWJ
// row-major, JᵀWr, cost, residuals, failed). Returns (values, iterations,
// converged, termination).
py::tuple minimiseWith(const py::function& callback, const std::vector<double>& start,
                       const std::vector<std::string>& names, int iterations) {
  const cal::NormalProvider provider = [&](const std::vector<double>& p, bool derivatives) {
    const py::tuple t = callback(p, derivatives);
    cal::NormalEquations e;
    e.JtJ = t[0].cast<std::vector<double>>();
    e.Jtr = t[1].cast<std::vector<double>>();
    e.cost = t[2].cast<double>();
    e.residuals = t[3].cast<long>();
    e.failed = t[4].cast<long>();
    if (derivatives && (e.JtJ.size() != p.size() * p.size() || e.Jtr.size() != p.size()))
      throw py::value_error("callback: sums of the wrong size");
    return e;
  };
  const cal::Minimum m = cal::minimise(provider, start, names, iterations, nullptr);
  return py::make_tuple(m.values, m.iterations, m.converged, m.termination);
}

// sqrt(diag((JᵀWJ)⁻¹) · 2·cost/(n - p)), as orowan-calibrate gives them.
std::vector<double> standardErrorsOf(const std::vector<double>& JtJ, double cost, long residuals, int n) {
  cal::NormalEquations e;
  e.JtJ = JtJ;
  e.cost = cost;
  e.residuals = residuals;
  return cal::standardErrors(e, n);
}

}  // namespace

void registerCalibrate(py::module_& m) {
  m.def("_batch_run", &batchRun, py::arg("text"), py::arg("fit"), py::arg("units"), py::arg("jobs"));
  m.def("_calibrate", &calibrateText, py::arg("text"), py::arg("friction"), py::arg("flow_factor"), py::arg("loss"),
        py::arg("loss_scale"), py::arg("jobs"), py::arg("iterations"), py::arg("units"));
  m.def("_calibration_parameters", &parametersOf, py::arg("friction"), py::arg("flow_factor"),
        py::arg("friction_groups"), py::arg("factor_groups"));
  m.def("_normal_equations", &normalEquationsOf, py::arg("text"), py::arg("friction"), py::arg("flow_factor"),
        py::arg("friction_groups"), py::arg("factor_groups"), py::arg("parameters"), py::arg("loss"),
        py::arg("loss_scale"), py::arg("jobs"), py::arg("units"), py::arg("derivatives") = true);
  m.def("_minimise", &minimiseWith, py::arg("callback"), py::arg("start"), py::arg("names"), py::arg("iterations"));
  m.def("_standard_errors", &standardErrorsOf, py::arg("JtJ"), py::arg("cost"), py::arg("residuals"), py::arg("n"));
}

}  // namespace orowan::python
