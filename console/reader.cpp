// Free-form value reader of the console. Bytes come from standard input in
// records of at most 132 bytes; values are separated by blanks, tabs, line
// ends, commas and slashes. The reader never reads ahead: a record is read
// only when a character is needed.
#include "console/reader.h"

#include <cstdint>

#include "console/failures.h"
#include "console/io_errors.h"
#include "console/limits.h"
#include "console/platform.h"
#include "console/value_text.h"
#include "console/writer.h"

namespace console {
namespace {

constexpr char kEndOfFileByte = 26;  // Ctrl-Z

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

// The value of the statement's text as an INTEGER; a fault ends the
// program with its report.
std::int32_t convertInteger() {
  std::int32_t value = 0;
  if (const int fault = readIntegerText(statement.text, statement.textLength, value))
    reportReadError(fault);
  return value;
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
  const std::int32_t count = convertInteger();
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
  if (!nextValueText()) return;
  if (const int fault = readRealText(statement.text, statement.textLength, value))
    reportReadError(fault);
}

void getIntegerItem(std::int32_t& value) {
  if (nextValueText()) value = convertInteger();
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
