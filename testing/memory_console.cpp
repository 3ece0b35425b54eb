// The in-memory console: the platform hooks served from fixed buffers.
#include "testing/memory_console.h"

#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <cstring>
#include <type_traits>

#include "console/platform.h"
#include "console/reader.h"
#include "console/writer.h"

namespace orowan::testing {

using namespace console;  // the console this one stands in for
namespace {

constexpr std::size_t kOutputCapacity = std::size_t{1} << 23;
constexpr std::size_t kErrorCapacity = 4096;
constexpr int kCallsKept = 4096;

Setup setup;
std::size_t inputPos = 0;
char outBytes[kOutputCapacity];
char errBytes[kErrorCapacity];
std::size_t outUsed = 0, errUsed = 0;
long calls = 0, bytes = 0;
int readCount = 0;
int lengths[kCallsKept];
bool outputFailed = false;
int triesAfterFailure = 0;

bool running = false;
sigjmp_buf jumpBack;
int exitStatus = -1;

// One read: a terminal's line through its LF, or a file's piece.
long serveRead(char* buf, std::size_t max) {
  ++readCount;
  if (setup.failReads) return -1;
  std::size_t n = std::min({max, setup.chunk, setup.input.size() - inputPos});
  if (setup.terminal) {
    const std::size_t lf = setup.input.find('\n', inputPos);
    if (lf != std::string_view::npos) n = std::min(n, lf + 1 - inputPos);
  }
  std::memcpy(buf, setup.input.data() + inputPos, n);
  inputPos += n;
  return static_cast<long>(n);
}

// Keeps what fits; counts every call and byte to standard output.
long keepWrite(int fd, const char* data, std::size_t n) {
  if (fd == 2) {
    const std::size_t room = std::min(n, kErrorCapacity - errUsed);
    std::memcpy(errBytes + errUsed, data, room);
    errUsed += room;
    return static_cast<long>(n);
  }
  if (outputFailed) ++triesAfterFailure;
  if (setup.outputBudget >= 0 && (outputFailed || static_cast<long>(n) > setup.outputBudget)) {
    outputFailed = true;
    errno = setup.outputError;
    return -1;
  }
  if (setup.outputBudget >= 0) setup.outputBudget -= static_cast<long>(n);
  if (calls < kCallsKept) lengths[calls] = static_cast<int>(n);
  ++calls;
  bytes += static_cast<long>(n);
  if (setup.keepOutput) {
    const std::size_t room = std::min(n, kOutputCapacity - outUsed);
    std::memcpy(outBytes + outUsed, data, room);
    outUsed += room;
  }
  return static_cast<long>(n);
}

// The signal mask is restored by the jump, so a jump out of the
// floating-point fault handler leaves the fault signal unblocked.
void endProcess(int status) {
  if (running) {
    exitStatus = status;
    siglongjmp(jumpBack, 1);
  }
  throw ProcessExit{status};
}

}  // namespace

void start(const Setup& s) {
  setup = s;
  if (setup.chunk < 1 || setup.chunk > static_cast<std::size_t>(kRecordSize))
    setup.chunk = kRecordSize;
  inputPos = outUsed = errUsed = 0;
  calls = bytes = 0;
  readCount = 0;
  outputFailed = false;
  triesAfterFailure = 0;
  platform::setHooks({serveRead, keepWrite, endProcess});
  openConsoleChannel(setup.terminal);
  openConsoleInput(setup.terminal);
}

void stop() { platform::setHooks({}); }

std::string_view out() { return {outBytes, outUsed}; }
std::string_view err() { return {errBytes, errUsed}; }
long writeCalls() { return calls; }
long outputBytes() { return bytes; }
int reads() { return readCount; }
int writesAfterFailure() { return triesAfterFailure; }

std::span<const int> callLengths() {
  return {lengths, static_cast<std::size_t>(std::min<long>(calls, kCallsKept))};
}

int run(void (*body)(void*), void* context) {
  exitStatus = -1;
  if (sigsetjmp(jumpBack, 1) == 0) {
    running = true;
    body(context);
  }
  running = false;
  return exitStatus;
}

}  // namespace orowan::testing
