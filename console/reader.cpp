// Free-form value reader of the console. Bytes come from standard input in
// records of at most 132 bytes; values are separated by blanks, tabs, line
// ends, commas and slashes. A record is read only when a character is
// needed, so the reader never reads beyond the line it is in.
//
// A line whose line end (LF, or CR LF) directly follows a byte 26 (Ctrl-Z)
// is the end of input, and nothing on it counts, however the reads split
// it. That is known only at the line end, yet values are taken as their
// separators arrive, without waiting for the line end: so whatever a value
// would change is held until its line has ended. A value stored into its
// variable waits in a short list (stored at once when its own line end
// has already been consumed), and a refused value is reported only after
// the rest of its line has been read (a Ctrl-Z there makes it the end of
// input instead). A statement always reads through the end of its last
// line, so both are settled before the statement returns, and the output
// is as if every line had been known whole before its first value.
#include "console/reader.h"

#include <cstdint>

#include "console/failures.h"
#include "console/io_errors.h"
#include "console/limits.h"
#include "console/platform.h"
#include "console/value_text.h"
#include "console/writer.h"

namespace orowan::console {
namespace {

constexpr char kEndOfFileByte = 26;  // Ctrl-Z

// What the consumed bytes of the current line end with: a Ctrl-Z, a
// Ctrl-Z and CR, or anything else. A LF after either Ctrl-Z ends input.
enum class LineTail { other, ctrlZ, ctrlZCr };

// Input side: the current record and where the reader stands in it.
struct Input {
  char record[kRecordSize] = {};
  int length = 0;
  int pos = 0;
  bool terminal = false;
  bool ended = false;        // a read returned no bytes: never read again
  bool lineUnended = false;  // the last record did not end with LF
  bool atLineStart = true;   // the last byte consumed was a LF (or none yet)
  LineTail tail = LineTail::other;
};

// A value held until its line has ended: exactly one of the pointers is set.
struct HeldValue {
  float* real;
  std::int32_t* integer;
  float realValue;
  std::int32_t integerValue;
};

// The program's statements take at most two values; a statement with more
// values than this on one line has its first ones stored early.
constexpr int kMaxHeldValues = 64;

struct HeldValues {
  HeldValue values[kMaxHeldValues] = {};
  int count = 0;
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
HeldValues held;
Statement statement;

// Stores the held values, in the order they were taken.
void storeHeldValues() {
  for (int k = 0; k < held.count; ++k) {
    const HeldValue& v = held.values[k];
    if (v.real != nullptr) *v.real = v.realValue;
    else *v.integer = v.integerValue;
  }
  held.count = 0;
}

// Stores a value once its line has ended: at once when the line end that
// followed its text has been consumed, otherwise at that line end.
void storeValue(const HeldValue& value) {
  if (held.count == kMaxHeldValues) storeHeldValues();
  held.values[held.count++] = value;
  if (input.atLineStart) storeHeldValues();
}

// Makes `record` the one-byte line end that closes an unended last line.
// It follows no byte of the input, so no Ctrl-Z stands before it.
void giveSyntheticLineEnd() {
  input.record[0] = '\n';
  input.length = 1;
  input.lineUnended = false;
  input.tail = LineTail::other;
}

// Reads the next record. End of input after a closed line is 6501, and so
// is any read after the first empty one (on a terminal that is the second
// Ctrl-D, which must not be needed a third time); a read failure is 6500;
// a full terminal record without LF is a line too long.
void readRecord() {
  if (input.ended) reportReadError(kEndOfInput);
  long n = platform::readInput(input.record, kRecordSize);
  input.pos = 0;
  if (n < 0) reportReadError(kReadFailed);
  if (n == 0) {
    input.ended = true;
    if (!input.lineUnended) reportReadError(kEndOfInput);
    giveSyntheticLineEnd();
    return;
  }
  const int length = n > kRecordSize ? kRecordSize : static_cast<int>(n);
  const bool endsLine = input.record[length - 1] == '\n';
  if (input.terminal && length == kRecordSize && !endsLine) reportReadError(kLineTooLong);
  input.length = length;
  input.lineUnended = !endsLine;
}

// The next byte of input, not yet consumed; reads a record when the
// current one is used up.
char peekChar() {
  while (input.pos >= input.length) readRecord();
  return input.record[input.pos];
}

// Consumes the byte that peekChar returned. A line end settles the line:
// after a Ctrl-Z it is the end of input, otherwise its values take effect.
void advanceChar() {
  const char c = input.record[input.pos++];
  input.atLineStart = c == '\n';
  if (c == '\n') {
    if (input.tail != LineTail::other) reportReadError(kEndOfInput);
    storeHeldValues();
  } else if (c == kEndOfFileByte) {
    input.tail = LineTail::ctrlZ;
  } else {
    input.tail = c == '\r' && input.tail == LineTail::ctrlZ ? LineTail::ctrlZCr : LineTail::other;
  }
}

// Consumes input through the next line end.
void discardThroughLineEnd() {
  char c;
  do {
    c = peekChar();
    advanceChar();
  } while (c != '\n');
}

// Consumes input through the end of the current line.
void discardRestOfLine() {
  if (!input.atLineStart) discardThroughLineEnd();
}

// Reports a fault of a value text that is still being collected: its
// line is open (the byte at fault is no line end), so it is read to its
// end first, which may find the line to be the end of input.
[[noreturn]] void refuseText(int number) {
  discardThroughLineEnd();
  reportReadError(number);
}

// Reports a fault of a collected value, once its line has ended.
[[noreturn]] void refuseValue(int number) {
  discardRestOfLine();
  reportReadError(number);
}

// CR is a blank: only LF ends a line.
bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

bool endsValueText(char c) { return isBlank(c) || c == '\n' || c == ',' || c == '/'; }

// A value text may not begin with a quote or a parenthesis.
void checkValueStart(char c) {
  if (c == '\'' || c == '"' || c == '(') refuseText(kQuotedValue);
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

// The value of the statement's text as an INTEGER, or the F-class number
// of its fault in `fault`.
std::int32_t convertInteger(int& fault) {
  std::int32_t value = 0;
  fault = readIntegerText(statement.text, statement.textLength, value);
  return value;
}

// Appends `c` to the value text; a text beyond kMaxValueText is 6408.
void appendToText(char c) {
  if (statement.textLength >= kMaxValueText) refuseText(kValueTooLong);
  statement.text[statement.textLength++] = c;
}

// At a "*": the text so far is the repeat count, converted as an INTEGER.
// The value text after the "*" serves this item and the next count - 1.
void startRepeat(bool& counted) {
  if (counted) refuseText(kCountPending);
  int fault = 0;
  const std::int32_t count = convertInteger(fault);
  if (fault != 0) refuseText(fault);
  if (count < 1) refuseText(kZeroCount);
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

}  // namespace

void beginRead() {
  statement.pendingRepeat = 0;
  statement.textLength = 0;
  statement.lastSeparator = Separator::comma;
  statement.ended = false;
}

void getRealItem(float& value) {
  if (!nextValueText()) return;
  float converted = 0.0f;
  if (const int fault = readRealText(statement.text, statement.textLength, converted))
    refuseValue(fault);
  storeValue({&value, nullptr, converted, 0});
}

void getIntegerItem(std::int32_t& value) {
  if (!nextValueText()) return;
  int fault = 0;
  const std::int32_t converted = convertInteger(fault);
  if (fault != 0) refuseValue(fault);
  storeValue({nullptr, &value, 0.0f, converted});
}

// The rest of the line is dropped unless the last value ended with it.
void endRead() {
  discardRestOfLine();
  endOfConsoleRead();
}

void openConsoleInput(bool inputIsTerminal) {
  input = Input{};
  held.count = 0;
  input.terminal = inputIsTerminal;
  statement = Statement{};
}

}  // namespace orowan::console
