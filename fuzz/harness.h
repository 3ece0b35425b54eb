// The console of a fuzz run: standard input served from the fuzz input,
// output discarded (the report on standard error kept for checking), and
// the process end turned into a jump back to the fuzz entry point.
#pragma once

#include <cstddef>
#include <cstdint>

namespace fuzzing {

// How the input arrives: as a terminal's lines (one line per read, at most
// 132 bytes) or as a file's reads of `chunk` bytes (1 to 132).
struct InputMode {
  bool terminal = false;
  std::size_t chunk = 132;
};

// The first byte of a fuzz input chooses the mode, so every target sees
// both line-wise and piece-wise records.
InputMode modeFromByte(std::uint8_t byte);

// What a guarded run ended with.
struct Outcome {
  bool exited = false;  // the program ended the process (stop or report)
  int status = -1;      // its exit status
};

// Runs `body` with the console on `input`. Any process end inside `body`
// (including from the floating-point fault handler) comes back here.
// With `traps` the program's floating-point environment is in force for
// the run only: libFuzzer's own arithmetic must not trap afterwards.
Outcome runGuarded(const std::uint8_t* input, std::size_t size, InputMode mode, bool traps,
                   void (*body)());

// Standard error of the last run (the report), and its length.
const char* errorText();
std::size_t errorLength();

// Aborts (a fuzz finding) when the last run's standard error is not one
// well-formed run-time error report, or when an exit has another status.
void checkOutcome(const Outcome& outcome);

}  // namespace fuzzing
