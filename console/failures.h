// Run-time failures, the floating-point environment and program end.
#pragma once

#include "console/platform.h"

namespace console {

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

// Traps invalid operation, division by zero and overflow, and makes every
// fault of the analysis (trapped, or a math function's domain error) an
// M-class report that ends the process.
void setUpFloatingPoint();

}  // namespace console
