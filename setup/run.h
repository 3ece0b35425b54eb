// orowan-setup's command line and run: read the mill file, set every coil
// up, write the lines (and the HTML page) whole or not at all.
#pragma once

#include <string>
#include <vector>

#include "setup/report.h"

namespace orowan::setup {

// The whole program: 0 when every coil was set up, 1 when a coil (or the
// file) could not be read or set up, 2 for a command-line error.
int runSetup(int argc, char** argv);

}  // namespace orowan::setup
