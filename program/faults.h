// The console program's answer to a fault of the analysis: traps on, and
// every fault (trapped, or a math function's domain error) the console's
// M-class report that ends the process.
#pragma once

namespace orowan::program {

// Call once at start-up, before the first pass.
void setUpFaults();

}  // namespace orowan::program
