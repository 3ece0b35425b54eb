// The whole tool: command line, input, outputs, the run, the exit status.
#pragma once

namespace orowan::batch {

int runBatch(int argc, char** argv);

}  // namespace orowan::batch
