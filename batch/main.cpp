// orowan-batch: the passes of a file through the analysis, results as CSV
// or JSON. See --help.
#include "batch/run.h"

int main(int argc, char** argv) { return orowan::batch::runBatch(argc, argv); }
