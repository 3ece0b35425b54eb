// orowan-batch: the passes of a file through the analysis, results as CSV
// or JSON. See --help.
#include "batch/run.h"
#include "output/output_file.h"

int main(int argc, char** argv) {
  orowan::output::openStandardDescriptors();
  return orowan::batch::runBatch(argc, argv);
}
