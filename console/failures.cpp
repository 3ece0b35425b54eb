// Run-time error reports, the floating-point environment and program end.
#include "console/failures.h"

#include <cfenv>
#include <cstring>

#include "console/io_errors.h"
#include "console/platform.h"
#include "console/writer.h"

namespace orowan::console {
namespace {

struct Message {
  int number;
  const char* text;
};

// The F-class messages: one line per number.
constexpr Message kIoMessages[] = {
    {kIntegerRange, "INTEGER value out of range"},
    {kIntegerForm, "invalid character in INTEGER value"},
    {kRealNoDigits, "REAL value without digits or beyond the double-precision range"},
    {kRealLeftover, "REAL value followed by other characters"},
    {kRealRange, "REAL value beyond the single-precision range"},
    {kSecondHash, "second # in INTEGER value"},
    {kBadBase, "radix base outside 2 to 36"},
    {kLineTooLong, "line longer than 131 characters"},
    {kValueTooLong, "value longer than 256 characters"},
    {kWriteRefused, "write refused: device full or access denied"},
    {kWriteFailed, "write failure"},
    {kReadFailed, "read failure"},
    {kEndOfInput, "end of file encountered"},
    {kZeroCount, "repeat count not positive"},
    {kCountPending, "repeat count while another is pending"},
    {kQuotedValue, "quoted or parenthesized value for a number"},
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

// Process end: a still open console line gets its CR LF, then exit. The
// CR LF goes nowhere if standard output has failed (platform::writeBytes
// does not try it again), so a report of that failure cannot recur.
[[noreturn]] void endProcess(int status) {
  closeOpenLine();
  platform::exitProcess(status);
}

}  // namespace

void reportMathFault(int number, const char* message) {
  reportRuntimeError('M', number, ": MATH", nullptr, message);
}

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
  platform::writeBytes(2, report.bytes, report.length);  // nowhere to report its failure
  platform::discardTypedInput();
  endProcess(1);
}

void reportReadError(int number) {
  reportRuntimeError('F', number, ": READ(", "CON", ioErrorMessage(number));
}

int writeErrorOf(platform::WriteStatus status) {
  return status == platform::WriteStatus::refused ? kWriteRefused : kWriteFailed;
}

void reportWriteError(int number) {
  reportRuntimeError('F', number, ": WRITE(", "CON", ioErrorMessage(number));
}

// The stop's own writes count like the report's: if any of them failed,
// the run ends with the write error instead of status 0.
void stopProgram() {
  closeOpenLine();
  static const char kStop[] = "Stop - Program terminated.\r\n";
  platform::writeBytes(1, kStop, sizeof kStop - 1);
  closeOpenLine();
  const platform::WriteStatus output = platform::outputStatus();
  if (output != platform::WriteStatus::done) reportWriteError(writeErrorOf(output));
  platform::exitProcess(0);
}

void setUpFloatingPoint(void (*onTrap)(int code)) {
  std::feclearexcept(FE_ALL_EXCEPT);
#ifndef OROWAN_CHECKED_ARITHMETIC  // checked arithmetic finds the faults without traps
  feenableexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW);
#endif
  platform::installFaultHandler(onTrap);
}

}  // namespace orowan::console
