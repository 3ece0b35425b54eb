// A JSON array of passes, one element at a time, so that memory stays
// bounded however long the array. The scanner here only finds where each
// element begins and ends, and takes out the source text of each number
// (a number is a run of digits, signs, points and exponent letters; it is
// read later as the console reads a typed REAL); nlohmann's SAX parser
// then checks and reads the element itself.
#pragma once

#include <string>
#include <vector>

#include "batch/byte_source.h"

namespace orowan::batch {

struct JsonElement {
  long line = 0;                         // the line the element starts on
  std::string text;                      // its source text (up to kMaxElementBytes), each number as "0"
  std::vector<std::string> numberTexts;  // its numbers' texts, in order
  std::string excerpt;                   // its first bytes as written, for messages
  std::string problem;                   // a problem of the array's structure, or ""
  bool object = false;                   // it starts with {
  long index = 0;                        // 1-based place in the array
  long offset = 0;                       // the byte offset (from 0) of its first byte in the input
  bool sharesLine = false;               // it starts on the line the element before ends on
  bool nextSharesLine = false;           // the next element starts on the line this one ends on
  bool indexed = false;                  // the array is minified from line 1: its line column is the index
  bool follows = false;                  // a problem after element `index` (the array's end or a separator)
};

class JsonArrayReader {
 public:
  static constexpr std::size_t kMaxElementBytes = 1 << 16;

  explicit JsonArrayReader(ByteSource& source);

  // The next element, or a problem of the array's structure as an element
  // of its own (after which the reader ends); false at the end.
  bool next(JsonElement& element);

 private:
  enum class State { start, element, done };
  ByteSource& in_;
  State state_ = State::start;
  long line_ = 1;
  long offset_ = 0;    // bytes taken from the input
  long elements_ = 0;  // elements begun
  long lastLine_ = 0;  // the line the last element ended on
  bool nextSharesLine_ = false;
  bool indexed_ = false;
  bool afterComma_ = false;
  std::string pending_;  // a structure problem found after a good element
  long pendingLine_ = 0;
  long pendingOffset_ = 0;

  int take();  // the next byte, counted
  void skipBlanks();
  bool capture(JsonElement& element);
  void captureString(JsonElement& element);
  bool separator();
  bool endOfArray();
  bool openArray(JsonElement& element);
};

}  // namespace orowan::batch
