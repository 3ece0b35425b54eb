// The console of the fuzz targets: the in-memory console, whose process
// end jumps back into runGuarded, also from inside the floating-point fault
// handler (the jump restores the signal mask).
#include "harness.h"

#include <cfenv>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "console/failures.h"
#include "program/faults.h"
#include "console/limits.h"
#include "testing/memory_console.h"

namespace fuzzing {
namespace {

[[noreturn]] void finding(const char* what) {
  const std::string_view err = orowan::testing::err();
  std::fprintf(stderr, "fuzz finding: %s\nstandard error: [%.*s]\n", what,
               static_cast<int>(err.size()), err.data());
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
  mode.chunk = (byte >> 1) % 4 == 0 ? 1 + (byte >> 3) % orowan::console::kRecordSize
                                    : orowan::console::kRecordSize;
  return mode;
}

Outcome runGuarded(const std::uint8_t* input, std::size_t size, InputMode mode, bool traps,
                   void (*body)()) {
  struct sigaction previous = {};
  sigaction(SIGFPE, nullptr, &previous);
  const std::string_view bytes(reinterpret_cast<const char*>(input), size);
  orowan::testing::start(
      {.input = bytes, .terminal = mode.terminal, .chunk = mode.chunk, .keepOutput = false});
  const int status = orowan::testing::run([&] {
    if (traps) orowan::program::setUpFaults();
    body();
  });
  fedisableexcept(FE_ALL_EXCEPT);
  std::feclearexcept(FE_ALL_EXCEPT);
  sigaction(SIGFPE, &previous, nullptr);
  orowan::testing::stop();
  Outcome outcome;
  outcome.exited = status >= 0;
  outcome.status = status;
  return outcome;
}

const char* errorText() { return orowan::testing::err().data(); }
std::size_t errorLength() { return orowan::testing::err().size(); }

// A report is "\r\nrun-time error " C NNNN context "\r\n- " message "\r\n",
// and an F-class message is the one of its number.
void checkOutcome(const Outcome& outcome) {
  const char* text = errorText();
  const std::size_t length = errorLength();
  if (std::getenv("OROWAN_FUZZ_SHOW") != nullptr)  // to look at one replayed input
    std::fprintf(stderr, "exited %d, status %d, standard error [%.*s]\n", outcome.exited,
                 outcome.status, static_cast<int>(length), text);
  if (!outcome.exited || outcome.status == 0) {
    if (length != 0) finding("standard error written without an error exit");
    return;
  }
  if (outcome.status != 1) finding("exit status other than 0 or 1");
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
    const char* known = orowan::console::ioErrorMessage(number);
    if (*known == '\0' || std::strlen(known) != messageLength - 2 ||
        std::memcmp(known, message, messageLength - 2) != 0)
      finding("F-class report without the message of its number");
  }
}

}  // namespace fuzzing
