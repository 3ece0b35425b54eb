// Run-time failures, the floating-point environment and program end.
#pragma once

namespace console {

// F-class numbers of our own, besides those of the reader.
constexpr int kValueTooLong = 6408;      // READ: value text beyond kMaxValueText
constexpr int kWriteRefused = 6422;      // WRITE: device full or access denied
constexpr int kBadFormatList = 6600;     // WRITE: format list not understood
constexpr int kItemMismatch = 6601;      // WRITE: item does not suit its field

// Writes the report to standard error and ends the process with status 1.
// `context` is ": READ(" style with `unit` "CON", or ": MATH" with no unit.
[[noreturn]] void reportRuntimeError(char cls, int number, const char* context,
                                     const char* unit, const char* message);
// F-class reports of a read or write statement on the console, with the
// message of their number.
[[noreturn]] void reportReadError(int number);
[[noreturn]] void reportWriteError(int number);
// The message of an F-class number ("" when it has none).
const char* ioErrorMessage(int number);

// The normal end: "Stop - Program terminated." and status 0.
[[noreturn]] void stopProgram();

// Traps invalid operation, division by zero and overflow; installs the
// fault report.
void setUpFloatingPoint();

// The math functions of the analysis, on doubles. Each checks its own
// domain and reports "name: DOMAIN error" (M6201) before the call.
double mathSqrt(double x);
double mathSin(double x);
double mathCos(double x);
double mathAtan(double x);

}  // namespace console
