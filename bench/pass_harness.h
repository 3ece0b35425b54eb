// The console of a benchmark: standard input served from memory, standard
// output discarded (its writes only counted), and the process end turned
// into a jump back to the caller of runProgram.
#pragma once

#include <cstddef>

namespace bench {

// The example pass: R 100, H1 2, H2 1.5, yield 20, no tensions, friction
// 0.1, then 0 at the repeat prompt.
inline constexpr char kExampleInput[] = "100\n2 1.5\n20\n0 0\n0.1\n0\n";

// Routes the system calls into memory; reads serve `input` (at most `max`
// bytes a read, as from a file). Call once before runProgram.
void useMemoryConsole(const char* input, std::size_t size);

// Rewinds the input and resets the console channel and the reader.
void rewindConsole();

// Runs the dialogue on the rewound input until the program ends; returns
// its exit status.
int runProgram();

// Writes to standard output (fd 1) and their bytes since the last rewind.
long writeCalls();
long writtenBytes();

// The program's floating-point traps, for the timed part only: the
// benchmark library's own arithmetic must not trap.
void enableTraps();
void disableTraps();

}  // namespace bench
