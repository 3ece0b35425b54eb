// The module's fits and calibrations (orowan.fit, orowan.calibrate,
// orowan.dask), registered on the module by one call.
#pragma once

#include <pybind11/pybind11.h>

namespace orowan::python {

void registerCalibrate(pybind11::module_& m);

}  // namespace orowan::python
