// The set-up as the Python module calls it: the mill file's text is read
// and every coil set up as orowan-setup does, without the interpreter's
// lock; back come the JSON lines and each coil's problem.
#include "python/src/setup_bindings.h"

#include <pybind11/stl.h>

#include "setup/mill_file.h"
#include "setup/report.h"

namespace py = pybind11;

namespace orowan::python {
namespace {

struct SetUpText {
  std::string lines;                  // JSON lines, one a pass
  std::vector<std::string> problems;  // "coil NAME: why", one a coil not set up
};

// Reads and sets up; a problem of the file itself throws ValueError.
SetUpText setUpText(const std::string& text, const std::string& name, bool respectLimits, const std::string& units) {
  setup::Mill mill;
  try {
    mill = setup::readMill(text, name);
  } catch (const setup::MillFileError& e) {
    throw py::value_error(e.what());
  }
  if (!units.empty() && units != "si" && units != "report")
    throw py::value_error("units: expected 'report' or 'si', got '" + units + "'");
  const setup::Units out = units.empty() ? mill.units : units == "si" ? setup::Units::si : setup::Units::report;
  SetUpText result;
  py::gil_scoped_release release;
  setup::SetUpOptions options;
  options.respectLimits = respectLimits;
  const std::vector<setup::CoilResult> results = setup::setUpMill(mill, options);
  for (const setup::CoilResult& r : results) {
    result.lines += setup::coilLines(mill, r, out, setup::Format::json);
    const std::string& p = r.coil->problem.empty() ? r.setUp.problem : r.coil->problem;
    if (!p.empty()) result.problems.push_back("coil " + r.coil->name + ": " + p);
  }
  return result;
}

}  // namespace

void addSetupBindings(py::module_& m) {
  m.def("_setup", [](const std::string& text, const std::string& name, bool respectLimits, const std::string& units) {
    SetUpText r = setUpText(text, name, respectLimits, units);
    return py::make_tuple(py::bytes(r.lines), r.problems);
  }, py::arg("text"), py::arg("name"), py::arg("respect_limits"), py::arg("units"));
}

}  // namespace orowan::python
