// A console in memory, for the tests, the fuzz targets and the benchmarks:
// standard input served from a buffer (as a terminal's lines or as a
// file's reads), standard output and error kept in fixed buffers, and the
// process end brought back to the caller. It allocates nothing while the
// program runs.
#pragma once

#include <cstddef>
#include <span>
#include <type_traits>
#include <string_view>

#include "console/limits.h"

namespace orowan::testing {

struct Setup {
  std::string_view input;  // served, not copied: keep it alive while in use
  // A terminal: each read returns one line through its LF (at most a
  // record), and input and output are one shared terminal.
  bool terminal = false;
  std::size_t chunk = console::kRecordSize;  // otherwise: bytes per read, 1 to console::kRecordSize
  bool keepOutput = true;    // false: standard output is only counted
  bool failReads = false;    // every read fails
  // Standard output takes this many bytes (a write that would go beyond
  // fails whole), then fails every write with `outputError`; -1: no end.
  long outputBudget = -1;
  int outputError = 0;
};

// Routes the system calls here and resets the console channel and reader.
void start(const Setup& setup);
// Puts the system calls back.
void stop();

std::string_view out();  // standard output kept so far
std::string_view err();  // standard error kept so far
long writeCalls();       // write calls to standard output
long outputBytes();      // bytes written to standard output
int reads();             // read calls
int writesAfterFailure();  // writes tried on standard output after one failed
// The lengths of the first write calls to standard output, in order.
std::span<const int> callLengths();

// A process end outside run().
struct ProcessExit {
  int status;
};

// Runs body(context). A process end inside it (the stop, a report, even
// from the floating-point fault handler) jumps back here: returns its exit
// status, or -1 when body returns. The frames the jump leaves must need no
// destruction. Outside run(), a process end throws ProcessExit.
int run(void (*body)(void*), void* context);

template <typename Body>
int run(Body&& body) {
  return run([](void* b) { (*static_cast<std::remove_reference_t<Body>*>(b))(); }, &body);
}

}  // namespace orowan::testing
