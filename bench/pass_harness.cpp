// The benchmarks' console: the in-memory console with standard output only
// counted, its process end jumping back into runProgram.
#include "pass_harness.h"

#include <cfenv>
#include <string_view>

#include "console/failures.h"
#include "console/memory_console.h"
#include "program/dialogue.h"

namespace bench {
namespace {

std::string_view served;

}  // namespace

void useMemoryConsole(const char* input, std::size_t size) {
  served = std::string_view(input, size);
  rewindConsole();
}

void rewindConsole() { console::memory::start({.input = served, .keepOutput = false}); }

int runProgram() {
  return console::memory::run([] { orowan::runDialogue(); });
}

long writeCalls() { return console::memory::writeCalls(); }
long writtenBytes() { return console::memory::outputBytes(); }

void enableTraps() { console::setUpFloatingPoint(); }
void disableTraps() {
  fedisableexcept(FE_ALL_EXCEPT);
  std::feclearexcept(FE_ALL_EXCEPT);
}

}  // namespace bench
