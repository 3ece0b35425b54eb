// A hot pass in the Python module: the hot arguments into a request and
// the hot values out of an answer, apart from the bindings (module.cpp
// only names these).
#pragma once

#include <pybind11/pybind11.h>

#include <string>

#include "python/src/passes.h"

namespace orowan::python {

// Makes `request` a hot pass of law `flow` ("misaka", "shida",
// "hensel-spittel") with the checked arguments in `values` (keys as the
// batch tool's columns: C, A, M1 ... M9, EPS_MIN, T, TRANSFER, EMISSIVITY,
// H_CONV, T_AMBIENT, DESCALE, H_WATER, H_CONTACT, T_ROLL, ETA, RHO, CP,
// ALPHA; each taken as a typed single value; the absent ones at their
// defaults). A in kgf/mm^2, the module's stress unit (the set keeps MPa).
void setHot(Request& request, const std::string& flow, const pybind11::dict& values);

// The strip's temperature entering the transfer (deg C): a schedule's
// pass that takes the temperature the pass before left.
void setTemperature(Request& request, double T);

// (EPS_RATE_MEAN, T_ENTRY, T_EXIT, T_RISE, T_DROP_ROLL, H1_HOT, H2_HOT,
// Y_ENTRY, Y_EXIT, Y_MEAN, validity note or None); NaN (None) for a pass
// that is not hot or was not worked out.
pybind11::tuple hotValuesOf(const Answer& answer);

// The refusal of a hot request in the arguments' words, or "" when the
// refusal is not a hot one.
std::string hotRefusalText(const passes::Answer& answer, const passes::Request& request);

}  // namespace orowan::python
