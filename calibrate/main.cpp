// orowan-calibrate: the laws of friction and flow stress fitted to a
// plant log's measured forces (and slips).
#include "calibrate/tool.h"

int main(int argc, char** argv) { return orowan::calibrate::runCalibrate(argc, argv); }
