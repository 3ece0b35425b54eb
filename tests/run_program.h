// Runs the built program as a user would and collects what it wrote.
#pragma once

#include <string>
#include <string_view>

#include "show_bytes.h"

namespace e2e {

struct Result {
  std::string out;  // standard output, as bytes
  std::string err;  // standard error, as bytes
  int status = -1;  // exit status, or 128 + signal number
};

enum class Input { file, pipe };

struct Options {
  Input input = Input::file;
  // Standard output to this path instead of a pipe (out stays empty).
  const char* stdoutPath = nullptr;
  // Close the reading end of the output pipe at once (a closed pipe).
  bool closeStdout = false;
};

// Standard input from `input` (a file or a pipe), standard output and
// error to pipes.
Result run(std::string_view input, const Options& options = {});

// Standard input and output on one pseudo-terminal (canonical input, no
// echo and no output translation, so `out` is exactly what the program
// wrote); standard error to a pipe. `typed` is sent as typed lines; a
// byte 4 at the start of a line is the terminal's end of input.
Result runOnTerminal(std::string_view typed);

using testio::show;

// The bytes of a test data file under tests/data.
std::string readData(const char* name);

}  // namespace e2e
