// The batch tool's outputs are the shared output files (output/).
#pragma once

#include "output/output_file.h"

namespace orowan::batch {

using orowan::output::OutputFile;
using orowan::output::printable;
using orowan::output::removeTemporariesOnSignal;

}  // namespace orowan::batch
