// orowan-setup: a mill's set-up for each coil (see docs/setup.md).
#include "setup/run.h"

int main(int argc, char** argv) { return orowan::setup::runSetup(argc, argv); }
