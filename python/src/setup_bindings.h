// orowan.setup's compiled part: a mill file's text in, the set-up's lines
// (JSON lines, as orowan-setup --json writes them) out.
#pragma once

#include <pybind11/pybind11.h>

namespace orowan::python {

// Adds _setup(text, name, respect_limits, units) to the module.
void addSetupBindings(pybind11::module_& m);

}  // namespace orowan::python
