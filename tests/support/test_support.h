// The in-memory console (testing/memory_console.h) as the unit tests use
// it: input from a string, output and error as strings, the process end as
// a thrown ProcessExit.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <string_view>

#include "testing/memory_console.h"
#include "show_bytes.h"

namespace testio {

using ProcessExit = orowan::testing::ProcessExit;

// Resets the console channel and reader and serves `input` (copied):
// `terminal` makes both streams a shared terminal with one line per read;
// otherwise each read returns up to `chunk` bytes.
void start(std::string_view input = {}, bool terminal = false,
           std::size_t chunk = orowan::console::kRecordSize);

std::string out();  // bytes written to standard output
std::string err();  // bytes written to standard error
int reads();        // read calls made so far

// Puts the system calls back.
void stop();

// The whole program on `input`, in-process, with its floating-point traps
// as at its start (they and the SIGFPE disposition are put back after).
struct ProgramRun {
  int status;  // 0 after the stop, 1 after a report
  std::string out, err;
};
ProgramRun runProgram(const std::string& input);

// A test with the in-memory console started before and stopped after it.
class ConsoleTest : public ::testing::Test {
 protected:
  void SetUp() override { start(); }
  void TearDown() override { stop(); }
};

}  // namespace testio
