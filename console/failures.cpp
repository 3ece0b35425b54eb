// Run-time error reports, the floating-point environment and program end.
#include "console/failures.h"

#include <cfenv>
#include <cmath>
#include <csignal>
#include <cstring>

#include "console/platform.h"
#include "console/writer.h"

namespace console {
namespace {

struct Message {
  int number;
  const char* text;
};

// The F-class messages: one line per number.
constexpr Message kIoMessages[] = {
    {6100, "INTEGER value out of range"},
    {6101, "invalid character in INTEGER value"},
    {6102, "REAL value without digits or beyond the double-precision range"},
    {6103, "REAL value followed by other characters"},
    {6104, "REAL value beyond the single-precision range"},
    {6302, "second # in INTEGER value"},
    {6303, "radix base outside 2 to 36"},
    {6407, "line longer than 131 characters"},
    {kValueTooLong, "value longer than 256 characters"},
    {kWriteRefused, "write refused: device full or access denied"},
    {6500, "read failure"},
    {6501, "end of file encountered"},
    {6502, "repeat count not positive"},
    {6503, "repeat count while another is pending"},
    {6504, "quoted or parenthesized value for a number"},
    {kBadFormatList, "format list not understood"},
    {kItemMismatch, "item does not suit its data field"},
};

// A report assembled in a fixed buffer, never past its end, always
// terminated.
struct ReportText {
  char bytes[256] = {};
  std::size_t length = 0;
  void add(const char* text) {
    for (; *text != '\0' && length + 1 < sizeof bytes; ++text) bytes[length++] = *text;
  }
};

// Process end: a still open console line gets its CR LF, then exit.
[[noreturn]] void endProcess(int status) {
  closeOpenLine();
  platform::exitProcess(status);
}

// The floating-point fault names of the M-class report.
struct FaultName {
  int code;
  int number;
  const char* name;
};
constexpr FaultName kFaults[] = {
    {FPE_FLTINV, 6101, "invalid"},        {FPE_FLTDIV, 6103, "divide by zero"},
    {FPE_FLTOVF, 6104, "overflow"},       {FPE_FLTUND, 6105, "underflow"},
    {FPE_FLTRES, 6106, "inexact"},
};

[[noreturn]] void onFloatingPointTrap(int code) {
  const FaultName* fault = &kFaults[0];
  for (const FaultName& f : kFaults)
    if (f.code == code) fault = &f;
  ReportText message;
  message.add("floating-point error: ");
  message.add(fault->name);
  reportRuntimeError('M', fault->number, ": MATH", nullptr, message.bytes);
}

// A math function's argument outside its domain: "name: DOMAIN error".
[[noreturn]] void onDomainError(const char* function) {
  ReportText message;
  message.add(function);
  message.add(": DOMAIN error");
  reportRuntimeError('M', 6201, ": MATH", nullptr, message.bytes);
}

}  // namespace

const char* ioErrorMessage(int number) {
  for (const Message& m : kIoMessages)
    if (m.number == number) return m.text;
  return "";
}

void reportRuntimeError(char cls, int number, const char* context, const char* unit,
                        const char* message) {
  ReportText report;
  char code[] = {cls, static_cast<char>('0' + number / 1000 % 10),
                 static_cast<char>('0' + number / 100 % 10),
                 static_cast<char>('0' + number / 10 % 10), static_cast<char>('0' + number % 10),
                 '\0'};
  report.add("\r\nrun-time error ");
  report.add(code);
  report.add(context);
  if (unit != nullptr) {
    report.add(unit);
    report.add(*message != '\0' ? ")\r\n- " : ")\r\n");
  } else {
    report.add("\r\n- ");
  }
  report.add(message);
  report.add("\r\n");
  platform::writeBytes(2, report.bytes, report.length);
  endProcess(1);
}

void reportReadError(int number) {
  reportRuntimeError('F', number, ": READ(", "CON", ioErrorMessage(number));
}

void reportWriteError(int number) {
  reportRuntimeError('F', number, ": WRITE(", "CON", ioErrorMessage(number));
}

void stopProgram() {
  closeOpenLine();
  static const char kStop[] = "Stop - Program terminated.\r\n";
  platform::writeBytes(1, kStop, sizeof kStop - 1);
  endProcess(0);
}

void setUpFloatingPoint() {
  std::feclearexcept(FE_ALL_EXCEPT);
  feenableexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW);
  platform::installFaultHandler(onFloatingPointTrap);
}

double mathSqrt(double x) {
  if (x < 0.0) onDomainError("sqrt");
  return std::sqrt(x);
}

double mathSin(double x) {
  if (std::isinf(x)) onDomainError("sin");
  return std::sin(x);
}

double mathCos(double x) {
  if (std::isinf(x)) onDomainError("cos");
  return std::cos(x);
}

double mathAtan(double x) { return std::atan(x); }

}  // namespace console
