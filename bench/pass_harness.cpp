// The benchmarks' console: the in-memory console with standard output only
// counted, its process end jumping back into runProgram.
#include "pass_harness.h"

#include <cfenv>
#include <string_view>

#include "console/failures.h"
#include "program/faults.h"
#include "testing/memory_console.h"
#include "program/dialogue.h"

namespace bench {
namespace {

std::string_view served;

}  // namespace

void useMemoryConsole(const char* input, std::size_t size) {
  served = std::string_view(input, size);
  rewindConsole();
}

void rewindConsole() { orowan::testing::start({.input = served, .keepOutput = false}); }

int runProgram() {
  return orowan::testing::run([] { orowan::runDialogue(); });
}

long writeCalls() { return orowan::testing::writeCalls(); }
long writtenBytes() { return orowan::testing::outputBytes(); }

void enableTraps() { orowan::program::setUpFaults(); }
void disableTraps() {
  fedisableexcept(FE_ALL_EXCEPT);
  std::feclearexcept(FE_ALL_EXCEPT);
}

}  // namespace bench
