// The analysis's faults wired to the console's report.
#include "program/faults.h"

#include "analysis/fault.h"
#include "console/failures.h"

namespace orowan::program {

void setUpFaults() {
  setFaultHandler(orowan::console::reportMathFault);
  orowan::console::setUpFloatingPoint(raiseTrappedFault);
}

}  // namespace orowan::program
