// Console hooks for the fuzz targets. The program ends its process through
// console::platform::exitProcess; here that becomes a siglongjmp back into
// runGuarded, which also works from inside the floating-point fault handler
// (the signal mask is restored by the jump).
#include "harness.h"

#include <cfenv>
#include <csetjmp>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "console/failures.h"
#include "console/platform.h"
#include "console/reader.h"
#include "console/writer.h"

namespace fuzzing {
namespace {

constexpr std::size_t kRecordSize = 132;

const std::uint8_t* inputBytes = nullptr;
std::size_t inputSize = 0;
std::size_t inputPos = 0;
InputMode inputMode;

char errorBytes[1024];
std::size_t errorUsed = 0;

sigjmp_buf jumpBack;
int exitStatus = -1;

// One record: a terminal's line (through its LF), or a file's piece.
long serveRead(char* buf, std::size_t max) {
  std::size_t n = inputSize - inputPos;
  if (n > max) n = max;
  if (n > inputMode.chunk) n = inputMode.chunk;
  if (inputMode.terminal) {
    const void* lf = std::memchr(inputBytes + inputPos, '\n', n);
    if (lf != nullptr) n = static_cast<std::size_t>(static_cast<const std::uint8_t*>(lf) -
                                                    (inputBytes + inputPos)) + 1;
  }
  std::memcpy(buf, inputBytes + inputPos, n);
  inputPos += n;
  return static_cast<long>(n);
}

// Standard output is dropped; standard error is kept for checkOutcome.
long keepErrors(int fd, const char* bytes, std::size_t n) {
  if (fd == 2) {
    for (std::size_t i = 0; i < n && errorUsed < sizeof errorBytes; ++i)
      errorBytes[errorUsed++] = bytes[i];
  }
  return static_cast<long>(n);
}

[[noreturn]] void jumpOut(int status) {
  exitStatus = status;
  siglongjmp(jumpBack, 1);
}

[[noreturn]] void finding(const char* what) {
  std::fprintf(stderr, "fuzz finding: %s\nstandard error: [%.*s]\n", what,
               static_cast<int>(errorUsed), errorBytes);
  std::abort();
}

bool startsWith(const char* text, std::size_t length, const char* prefix) {
  const std::size_t n = std::strlen(prefix);
  return length >= n && std::memcmp(text, prefix, n) == 0;
}

}  // namespace

InputMode modeFromByte(std::uint8_t byte) {
  InputMode mode;
  mode.terminal = (byte & 1) != 0;
  mode.chunk = (byte >> 1) % 4 == 0 ? 1 + (byte >> 3) % kRecordSize : kRecordSize;
  return mode;
}

Outcome runGuarded(const std::uint8_t* input, std::size_t size, InputMode mode, bool traps,
                   void (*body)()) {
  inputBytes = input;
  inputSize = size;
  inputPos = 0;
  inputMode = mode;
  errorUsed = 0;
  exitStatus = -1;
  struct sigaction previous = {};
  sigaction(SIGFPE, nullptr, &previous);
  console::platform::setHooks({serveRead, keepErrors, jumpOut});
  console::openConsoleChannel(mode.terminal);
  console::openConsoleInput(mode.terminal);
  Outcome outcome;
  if (sigsetjmp(jumpBack, 1) == 0) {
    if (traps) console::setUpFloatingPoint();
    body();
  } else {
    outcome.exited = true;
    outcome.status = exitStatus;
  }
  fedisableexcept(FE_ALL_EXCEPT);
  std::feclearexcept(FE_ALL_EXCEPT);
  sigaction(SIGFPE, &previous, nullptr);
  console::platform::setHooks({});
  return outcome;
}

const char* errorText() { return errorBytes; }
std::size_t errorLength() { return errorUsed; }

// A report is "\r\nrun-time error " C NNNN context "\r\n- " message "\r\n",
// and an F-class message is the one of its number.
void checkOutcome(const Outcome& outcome) {
  if (std::getenv("OROWAN_FUZZ_SHOW") != nullptr)  // to look at one replayed input
    std::fprintf(stderr, "exited %d, status %d, standard error [%.*s]\n", outcome.exited,
                 outcome.status, static_cast<int>(errorUsed), errorBytes);
  if (!outcome.exited || outcome.status == 0) {
    if (errorUsed != 0) finding("standard error written without an error exit");
    return;
  }
  if (outcome.status != 1) finding("exit status other than 0 or 1");
  const char* text = errorBytes;
  std::size_t length = errorUsed;
  if (!startsWith(text, length, "\r\nrun-time error ") || length < 22) finding("no report");
  const char* code = text + 17;
  if (code[0] != 'F' && code[0] != 'M') finding("bad class letter");
  int number = 0;
  for (int i = 1; i <= 4; ++i) {
    if (code[i] < '0' || code[i] > '9') finding("bad error number");
    number = number * 10 + (code[i] - '0');
  }
  const char* context = code + 5;
  const std::size_t rest = length - 22;
  const char* expected = code[0] == 'M' ? ": MATH\r\n- " : nullptr;
  if (code[0] == 'F')
    expected = startsWith(context, rest, ": READ(") ? ": READ(CON)\r\n- " : ": WRITE(CON)\r\n- ";
  if (!startsWith(context, rest, expected)) finding("bad context");
  const char* message = context + std::strlen(expected);
  const std::size_t messageLength = length - static_cast<std::size_t>(message - text);
  if (messageLength < 3 || message[messageLength - 2] != '\r' || message[messageLength - 1] != '\n')
    finding("report does not end with its message and CR LF");
  if (code[0] == 'F') {
    const char* known = console::ioErrorMessage(number);
    if (*known == '\0' || std::strlen(known) != messageLength - 2 ||
        std::memcmp(known, message, messageLength - 2) != 0)
      finding("F-class report without the message of its number");
  }
}

}  // namespace fuzzing
