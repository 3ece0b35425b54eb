// Memory console for the benchmarks. The program ends its process through
// console::platform::exitProcess; here the exit hook jumps back into
// runProgram. Every frame the jump leaves is trivially destructible (the
// program allocates nothing and holds no objects with destructors).
#include "pass_harness.h"

#include <cfenv>
#include <csetjmp>
#include <cstring>

#include "analysis/analysis.h"
#include "console/failures.h"
#include "console/platform.h"
#include "console/reader.h"
#include "console/writer.h"

namespace bench {

namespace {

const char* inputBytes = nullptr;
std::size_t inputSize = 0;
std::size_t inputPos = 0;
long writes = 0;
long bytes = 0;

std::jmp_buf jumpBack;
int exitStatus = -1;

long serveRead(char* buf, std::size_t max) {
  std::size_t n = inputSize - inputPos;
  if (n > max) n = max;
  std::memcpy(buf, inputBytes + inputPos, n);
  inputPos += n;
  return static_cast<long>(n);
}

long discardWrite(int fd, const char*, std::size_t n) {
  if (fd == 1) {
    ++writes;
    bytes += static_cast<long>(n);
  }
  return static_cast<long>(n);
}

[[noreturn]] void jumpOut(int status) {
  exitStatus = status;
  std::longjmp(jumpBack, 1);
}

}  // namespace

void useMemoryConsole(const char* input, std::size_t size) {
  inputBytes = input;
  inputSize = size;
  console::platform::Hooks hooks;
  hooks.read = serveRead;
  hooks.write = discardWrite;
  hooks.exit = jumpOut;
  console::platform::setHooks(hooks);
  rewindConsole();
}

void rewindConsole() {
  inputPos = 0;
  writes = 0;
  bytes = 0;
  console::openConsoleChannel(false);
  console::openConsoleInput(false);
}

int runProgram() {
  if (setjmp(jumpBack) == 0) orowan::runDialogue();
  return exitStatus;
}

long writeCalls() { return writes; }
long writtenBytes() { return bytes; }

void enableTraps() { console::setUpFloatingPoint(); }
void disableTraps() {
  fedisableexcept(FE_ALL_EXCEPT);
  std::feclearexcept(FE_ALL_EXCEPT);
}

}  // namespace bench
