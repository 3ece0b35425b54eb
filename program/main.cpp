// Console calculator for the flat rolling of strip by Orowan's theory.
#include "console/failures.h"
#include "program/faults.h"
#include "console/platform.h"
#include "console/reader.h"
#include "console/writer.h"
#include "program/dialogue.h"

int main() {
  using namespace orowan::console;
  orowan::program::setUpFaults();
  const bool inputIsTerminal = platform::isTerminal(0);
  openConsoleChannel(inputIsTerminal && platform::isTerminal(1));
  openConsoleInput(inputIsTerminal);
  orowan::runDialogue();
}
