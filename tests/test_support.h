// In-memory console for unit tests: standard input from a string, standard
// output and error into strings, and the process end as an exception.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace testio {

struct ProcessExit {
  int status;
};

// Resets the console channel and reader and routes the descriptors into
// memory. `terminal` makes both streams a shared terminal: each read then
// returns one line (up to 132 bytes); otherwise each read returns up to
// `chunk` bytes of `input`.
void start(std::string_view input = {}, bool terminal = false, std::size_t chunk = 132);

const std::string& out();  // bytes written to standard output
const std::string& err();  // bytes written to standard error
int reads();               // read calls made so far

// Puts the system calls back.
void stop();

// A test with the in-memory console started before and stopped after it.
class ConsoleTest : public ::testing::Test {
 protected:
  void SetUp() override { start(); }
  void TearDown() override { stop(); }
};

// Makes control bytes visible: "\r\n" as "<CR><LF>" and so on.
std::string show(std::string_view bytes);

}  // namespace testio
