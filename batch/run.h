// The whole tool: command line, input, outputs, the run, the exit status.
#pragma once

namespace batch {

int runBatch(int argc, char** argv);

}  // namespace batch
