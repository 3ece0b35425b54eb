// Runs the built program as a user would and collects what it wrote.
#pragma once

#include <string>
#include <string_view>

#include "show_bytes.h"

namespace e2e {

struct Result {
  std::string out;       // standard output, as bytes
  std::string err;       // standard error, as bytes
  int status = -1;       // exit status, or 128 + signal number
  std::string leftover;  // runOnTerminal with typeAhead: what the next reader found
};

// Standard input: a file, a pipe written as fast as it drains, or a pipe
// that never holds more than one byte, so every read returns one byte.
enum class Input { file, pipe, pipeByteByByte };

// Standard output: a pipe the test reads; a pipe without a reader; the
// file `stdoutPath`; no descriptor 1 at all (">&-"); a file opened for
// reading only; a terminal whose other side has hung up.
enum class Output { pipe, closedPipe, file, closed, readOnly, hungUpTerminal };

struct Options {
  Input input = Input::file;
  Output output = Output::pipe;
  const char* stdoutPath = nullptr;  // for Output::file
  bool ignoreSigpipe = false;        // the program starts with SIGPIPE ignored
  bool nonBlockingStdout = false;    // the output pipe has O_NONBLOCK set
  int readerDelayMs = 0;             // the output pipe is first read this late
};

// Standard input from `input`, standard output as `options` says, standard
// error to a pipe.
Result run(std::string_view input, const Options& options = {});

struct TerminalOptions {
  // Every typed line is in the terminal before the program starts, and
  // after it ends Result::leftover gets what the next reader of the
  // terminal (as a shell would be) finds there. `typed` must then end
  // with LF and hold no byte 4.
  bool typeAhead = false;
  bool nonBlocking = false;  // the terminal has O_NONBLOCK set
  int typingDelayMs = 0;     // nothing is typed before this delay
  // Nothing is typed before standard output shows these bytes (as a
  // person waits for a prompt).
  std::string_view typeAfter = {};
  // Runs this command (a null-terminated argv, argv[0] a path) instead of
  // the program, with these extra "NAME=value" settings (null-terminated).
  const char* const* command = nullptr;
  const char* const* environment = nullptr;
};

// Standard input and output on one pseudo-terminal (canonical input, no
// echo and no output translation, so `out` is exactly what the program
// wrote); standard error to a pipe. `typed` is sent as typed lines; a
// byte 4 at the start of a line is the terminal's end of input.
Result runOnTerminal(std::string_view typed, const TerminalOptions& options = {});

using testio::show;

// The bytes of a test data file under tests/data.
std::string readData(const char* name);

}  // namespace e2e
