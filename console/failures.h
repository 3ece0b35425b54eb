// Run-time failures, the floating-point environment and program end.
#pragma once

#include "console/platform.h"

namespace orowan::console {

// Writes the report to standard error and ends the process with status 1.
// `context` is ": READ(" style with `unit` "CON", or ": MATH" with no unit.
[[noreturn]] void reportRuntimeError(char cls, int number, const char* context,
                                     const char* unit, const char* message);
// F-class reports of a read or write statement on the console, with the
// message of their number (console/io_errors.h).
[[noreturn]] void reportReadError(int number);
[[noreturn]] void reportWriteError(int number);
// The F-class number of a failed write: 6422 for a refusal, else 6423.
int writeErrorOf(platform::WriteStatus status);
// The message of an F-class number ("" when it has none).
const char* ioErrorMessage(int number);

// The normal end: "Stop - Program terminated." and status 0.
[[noreturn]] void stopProgram();

// The M-class report of an arithmetic fault (": MATH" and the message);
// ends the process with status 1.
[[noreturn]] void reportMathFault(int number, const char* message);

// Traps invalid operation, division by zero and overflow; a trap calls
// `onTrap` with the signal's si_code (the caller decides what a fault is).
void setUpFloatingPoint(void (*onTrap)(int code));

}  // namespace orowan::console
