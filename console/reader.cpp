// Free-form value reader of the console. Bytes come from standard input in
// records of at most 132 bytes; values are separated by blanks, tabs, line
// ends, commas and slashes. The reader never reads ahead: a record is read
// only when a character is needed.
#include "console/reader.h"

#include <cfenv>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "console/failures.h"
#include "console/platform.h"
#include "console/writer.h"

namespace console {
namespace {

constexpr int kRecordSize = 132;
constexpr char kEndOfFileByte = 26;  // Ctrl-Z

// The reader's error numbers (besides kValueTooLong).
constexpr int kIntegerRange = 6100;
constexpr int kIntegerForm = 6101;
constexpr int kRealNoDigits = 6102;
constexpr int kRealLeftover = 6103;
constexpr int kRealRange = 6104;
constexpr int kSecondHash = 6302;
constexpr int kBadBase = 6303;
constexpr int kLineTooLong = 6407;
constexpr int kReadFailed = 6500;
constexpr int kEndOfInput = 6501;
constexpr int kZeroCount = 6502;
constexpr int kCountPending = 6503;
constexpr int kQuotedValue = 6504;

// The largest single value, exactly, as a double.
constexpr double kLargestSingle = 3.4028234663852886e38;

// Input side: the current record and where the reader stands in it.
struct Input {
  char record[kRecordSize] = {};
  int length = 0;
  int pos = 0;
  int endOfFileLine = -1;  // start of a Ctrl-Z line in the record, or -1
  bool terminal = false;
  bool lineUnended = false;  // the last record did not end with LF
  bool atLineStart = true;   // the last byte consumed was a LF (or none yet)
};

enum class Separator { blank, comma, slash };

// Statement side. The value text also serves a pending repeat: nothing is
// scanned while a repeat is pending, so the text stays as the "*" left it.
struct Statement {
  char text[kMaxValueText] = {};
  int textLength = 0;
  std::int32_t pendingRepeat = 0;
  Separator lastSeparator = Separator::comma;
  bool ended = false;  // a slash has ended the statement
};

Input input;
Statement statement;

// Start of the line whose byte 26 stands just before the record's final
// line end (LF or CR LF), or -1 when the record has no such line.
int findEndOfFileLine(const char* record, int length) {
  if (length < 2 || record[length - 1] != '\n') return -1;
  int z = length - 2;
  if (record[z] == '\r') --z;
  if (z < 0 || record[z] != kEndOfFileByte) return -1;
  int start = z;
  while (start > 0 && record[start - 1] != '\n') --start;
  return start;
}

// Makes `record` the one-byte line end that closes an unended last line.
void giveSyntheticLineEnd() {
  input.record[0] = '\n';
  input.length = 1;
  input.endOfFileLine = -1;
  input.lineUnended = false;
}

// Reads the next record. End of input after a closed line is 6501; a read
// failure 6500; a full terminal record without LF is a line too long.
void readRecord() {
  long n = platform::readInput(input.record, kRecordSize);
  input.pos = 0;
  if (n < 0) reportReadError(kReadFailed);
  if (n == 0) {
    if (!input.lineUnended) reportReadError(kEndOfInput);
    giveSyntheticLineEnd();
    return;
  }
  const int length = n > kRecordSize ? kRecordSize : static_cast<int>(n);
  const bool endsLine = input.record[length - 1] == '\n';
  if (input.terminal && length == kRecordSize && !endsLine) reportReadError(kLineTooLong);
  input.length = length;
  input.lineUnended = !endsLine;
  input.endOfFileLine = findEndOfFileLine(input.record, length);
}

// The next byte of input, not yet consumed; reads a record when the
// current one is used up. Reaching a Ctrl-Z line is the end of input.
char peekChar() {
  while (input.pos >= input.length) readRecord();
  if (input.pos == input.endOfFileLine) reportReadError(kEndOfInput);
  return input.record[input.pos];
}

// Consumes the byte that peekChar returned.
void advanceChar() {
  input.atLineStart = input.record[input.pos] == '\n';
  ++input.pos;
}

// CR is a blank: only LF ends a line.
bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

bool endsValueText(char c) { return isBlank(c) || c == '\n' || c == ',' || c == '/'; }

// A value text may not begin with a quote or a parenthesis.
void checkValueStart(char c) {
  if (c == '\'' || c == '"' || c == '(') reportReadError(kQuotedValue);
}

// Consumes the separator `c` that ended a value text and records it.
void takeSeparator(char c) {
  advanceChar();
  if (c == ',') {
    statement.lastSeparator = Separator::comma;
  } else if (c == '/') {
    statement.lastSeparator = Separator::slash;
    statement.ended = true;
  } else {
    statement.lastSeparator = Separator::blank;  // blank, tab, CR or LF
  }
}

// Skips blanks and line ends up to a value text. Returns false for a null
// value (a comma that is not part of the previous separator) or a slash.
bool skipToValue() {
  for (;;) {
    const char c = peekChar();
    if (isBlank(c) || c == '\n') {
      advanceChar();
    } else if (c == ',') {
      advanceChar();
      const bool nullValue = statement.lastSeparator != Separator::blank;
      statement.lastSeparator = Separator::comma;
      if (nullValue) return false;
    } else if (c == '/') {
      takeSeparator(c);
      return false;
    } else {
      return true;
    }
  }
}

// Numeric value of a digit or letter, 36 for any other byte.
int digitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
  if (c >= 'a' && c <= 'z') return c - 'a' + 10;
  return 36;
}

bool isDecimalDigit(char c) { return c >= '0' && c <= '9'; }

// Reads the radix base of text[from, from + count) (decimal digits; none
// means 16) and checks it is 2 to 36. The sum is capped, so it cannot wrap.
int radixBase(const char* text, int from, int count) {
  if (count == 0) return 16;
  int base = 0;
  for (int i = from; i < from + count; ++i) {
    base = base * 10 + (text[i] - '0');
    if (base > 36) reportReadError(kBadBase);
  }
  if (base < 2) reportReadError(kBadBase);
  return base;
}

// Magnitude of the digits text[from, length) in `base`, capped at 2^32 so
// that the arithmetic never overflows; a bad digit is 6101, a "#" 6302.
std::uint64_t radixMagnitude(const char* text, int from, int length, int base) {
  constexpr std::uint64_t kCap = std::uint64_t{1} << 32;
  std::uint64_t magnitude = 0;
  for (int i = from; i < length; ++i) {
    if (text[i] == '#') reportReadError(kSecondHash);
    const int digit = digitValue(text[i]);
    if (digit >= base) reportReadError(kIntegerForm);
    magnitude = magnitude * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
    if (magnitude > kCap) magnitude = kCap;
  }
  if (from >= length) reportReadError(kIntegerForm);  // no digits
  return magnitude;
}

// An INTEGER value text: [sign] digits, or [sign] [base] "#" digits.
// Errors come from left to right; the range test (6100) is last.
std::int32_t convertInteger(const char* text, int length) {
  int i = 0;
  const bool negative = length > 0 && text[0] == '-';
  if (length > 0 && (text[0] == '-' || text[0] == '+')) i = 1;
  int run = 0;
  while (i + run < length && isDecimalDigit(text[i + run])) ++run;
  int base = 10;
  if (i + run < length && text[i + run] == '#') {
    base = radixBase(text, i, run);
    i += run + 1;
  }
  const std::uint64_t magnitude = radixMagnitude(text, i, length, base);
  const std::uint64_t limit = negative ? std::uint64_t{1} << 31 : (std::uint64_t{1} << 31) - 1;
  if (magnitude > limit) reportReadError(kIntegerRange);
  const std::int64_t value = static_cast<std::int64_t>(magnitude);
  return static_cast<std::int32_t>(negative ? -value : value);
}

// A REAL value text made fit for strtod: the exponent letter becomes "e"
// and a sign-only exponent gets its "e". One byte longer at most.
struct RealCopy {
  char text[kMaxValueText + 2] = {};
  int length = 0;
  bool nonZero = false;  // a mantissa digit other than 0
  void put(char c) {
    if (length < kMaxValueText + 1) text[length++] = c;
  }
};

// Copies the decimal digits of text[i, length) from `i` on; returns the
// index after them.
int copyDigits(const char* text, int i, int length, RealCopy& copy) {
  while (i < length && isDecimalDigit(text[i])) copy.put(text[i++]);
  return i;
}

// Copies [sign] mantissa of `text`; returns the index after it, or reports
// 6102 when the mantissa has no digit.
int copyMantissa(const char* text, int length, RealCopy& copy) {
  int i = 0;
  if (length > 0 && (text[0] == '+' || text[0] == '-')) copy.put(text[i++]);
  int digits = 0;
  bool point = false;
  for (; i < length; ++i) {
    const char c = text[i];
    if (isDecimalDigit(c)) {
      ++digits;
      copy.nonZero = copy.nonZero || c != '0';
    } else if (c == '.' && !point) {
      point = true;
    } else {
      break;
    }
    copy.put(c);
  }
  if (digits == 0) reportReadError(kRealNoDigits);
  return i;
}

// Copies the exponent at text[i] (E/e/D/d [sign] digits, or sign digits);
// returns the index after it, or `i` itself when no exponent stands there.
int copyExponent(const char* text, int i, int length, RealCopy& copy) {
  const char c = text[i];
  const bool letter = c == 'E' || c == 'e' || c == 'D' || c == 'd';
  if (!letter && c != '+' && c != '-') return i;
  int j = i + (letter ? 1 : 0);
  const int signAt = j;
  if (j < length && (text[j] == '+' || text[j] == '-')) ++j;
  if (j >= length || !isDecimalDigit(text[j])) return i;  // no exponent digits
  copy.put('e');
  if (j > signAt) copy.put(text[signAt]);
  return copyDigits(text, j, length, copy);
}

// The nearest double of the copy. glibc's strtod raises overflow and
// underflow for out-of-range texts, so the traps are held around it.
double nearestDouble(RealCopy& copy) {
  copy.text[copy.length] = '\0';  // length <= kMaxValueText + 1, inside
  std::fenv_t saved;
  std::feholdexcept(&saved);
  const double d = std::strtod(copy.text, nullptr);
  std::fesetenv(&saved);
  return d;
}

// A REAL value text: the form first (6102 no digits, 6103 leftover), then
// the double range (6102), then the single range (6104), then rounding.
float convertReal(const char* text, int length) {
  RealCopy copy;
  int i = copyMantissa(text, length, copy);
  if (i < length) i = copyExponent(text, i, length, copy);
  if (i < length) reportReadError(kRealLeftover);
  const double d = nearestDouble(copy);
  if (copy.nonZero) {
    const int kind = std::fpclassify(d);
    if (kind == FP_INFINITE || kind == FP_ZERO || kind == FP_SUBNORMAL) {
      reportReadError(kRealNoDigits);
    }
  }
  if (std::fabs(d) > kLargestSingle) reportReadError(kRealRange);
  return static_cast<float>(d);
}

// Appends `c` to the value text; a text beyond kMaxValueText is 6408.
void appendToText(char c) {
  if (statement.textLength >= kMaxValueText) reportReadError(kValueTooLong);
  statement.text[statement.textLength++] = c;
}

// At a "*": the text so far is the repeat count, converted as an INTEGER.
// The value text after the "*" serves this item and the next count - 1.
void startRepeat(bool& counted) {
  if (counted) reportReadError(kCountPending);
  const std::int32_t count = convertInteger(statement.text, statement.textLength);
  if (count < 1) reportReadError(kZeroCount);
  counted = true;
  statement.pendingRepeat = count - 1;
  statement.textLength = 0;
}

// Collects a value text up to its separator, which it consumes; handles a
// repeat count. The text may be empty only after a "*".
void collectValueText() {
  statement.textLength = 0;
  bool counted = false;
  bool first = true;
  for (;;) {
    const char c = peekChar();
    if (first) checkValueStart(c);
    first = false;
    if (endsValueText(c)) {
      takeSeparator(c);
      return;
    }
    advanceChar();
    if (c == '*') {
      startRepeat(counted);
      first = true;
    } else {
      appendToText(c);
    }
  }
}

// The value text for the next item, or false when the item keeps its
// value (null value, or the statement has ended). A pending repeat is
// served before a slash ends the statement.
bool nextValueText() {
  if (statement.pendingRepeat > 0) {
    --statement.pendingRepeat;
    return statement.textLength > 0;
  }
  if (statement.ended || !skipToValue()) return false;
  collectValueText();
  return statement.textLength > 0;
}

// Consumes input through the end of the current line.
void discardRestOfLine() {
  while (!input.atLineStart) {
    peekChar();
    advanceChar();
  }
}

}  // namespace

void beginRead() {
  statement.pendingRepeat = 0;
  statement.textLength = 0;
  statement.lastSeparator = Separator::comma;
  statement.ended = false;
}

void getRealItem(float& value) {
  if (nextValueText()) value = convertReal(statement.text, statement.textLength);
}

void getIntegerItem(std::int32_t& value) {
  if (nextValueText()) value = convertInteger(statement.text, statement.textLength);
}

// The rest of the line is dropped unless the last value ended with it.
void endRead() {
  discardRestOfLine();
  endOfConsoleRead();
}

void openConsoleInput(bool inputIsTerminal) {
  input = Input{};
  input.terminal = inputIsTerminal;
  statement = Statement{};
}

}  // namespace console
