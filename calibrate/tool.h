// The command line of orowan-calibrate and its run.
#pragma once

namespace orowan::calibrate {

// Exit status: 0 fitted (refused lines are listed in the summary and on
// standard error), 1 the log or an output could not be read or written
// or no line could be used, 2 a command-line error.
int runCalibrate(int argc, char** argv);

}  // namespace orowan::calibrate
