// Report records: format lists, the console channel and the Fw.d and Iw
// conversions. Every line the program shows is one write statement:
//   beginWrite(list); put...Item(v) per data field; endWrite();
#pragma once

#include <cstddef>
#include <cstdint>

namespace console {

// One parsed format item. Quoted text refers into the list's own text.
struct FormatItem {
  enum Kind : std::uint8_t { text, slash, tab, skip, fixed, integer } kind;
  std::int32_t a = 0;  // text: offset; tab: column; skip: count; fixed/integer: width
  std::int32_t b = 0;  // text: length in the list; fixed: decimals; integer: minimum digits
  char quote = 0;      // text: the quote character, doubled inside to stand for itself
};

constexpr int kMaxFormatItems = 96;
// The widest Fw.d or Iw field a list may hold; formatFixed and
// formatInteger take widths from 1 to this.
constexpr int kMaxFieldWidth = 255;

// A format list parsed once from its text (the bytes from "(" to the
// matching ")"). The program's lists are built at start-up.
class FormatList {
 public:
  explicit FormatList(const char* text);
  const char* text() const { return text_; }
  int size() const { return count_; }
  const FormatItem& operator[](int i) const { return items_[i]; }
  bool valid() const { return valid_; }
  int dataFields() const { return dataFields_; }
  int resumeAt() const { return resumeAt_; }

 private:
  const char* text_;
  FormatItem items_[kMaxFormatItems];
  int count_ = 0;
  int dataFields_ = 0;
  int resumeAt_ = 0;
  bool valid_ = false;

  friend struct FormatListParser;  // fills the items once, at construction
};

void beginWrite(const FormatList& list);
void putRealItem(float value);
void putIntegerItem(std::int32_t value);
void endWrite();

// Called at the end of every read statement: on a shared terminal the
// echoed Enter key has already ended the line.
void endOfConsoleRead();
// At program end: CR LF when a written line is still open.
void closeOpenLine();
bool lineIsOpen();

// Start-up (and tests): empty record, no line open.
void openConsoleChannel(bool sharedWithInput);

// Field texts, exposed for tests. Each writes exactly `w` bytes to `out`
// (w asterisks when the value does not fit) and returns nothing.
void formatFixed(float x, int w, int d, char* out);
void formatInteger(std::int32_t v, int w, int m, char* out);

}  // namespace console
