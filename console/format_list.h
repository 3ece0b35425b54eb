// Format lists: the templates of the report's records, a parenthesised
// list of quoted text, /, Tn, nX, Fw.d and Iw items.
#pragma once

#include <cstdint>

namespace orowan::console {

// One parsed format item. Quoted text refers into the list's own text.
struct FormatItem {
  enum Kind : std::uint8_t { text, slash, tab, skip, fixed, integer } kind;
  std::int32_t a = 0;  // text: offset; tab: column; skip: count; fixed/integer: width
  std::int32_t b = 0;  // text: length in the list; fixed: decimals; integer: minimum digits
  char quote = 0;      // text: the quote character, doubled inside to stand for itself

  // Fw.d and Iw take an item; the others place bytes or move.
  bool isDataField() const { return kind == fixed || kind == integer; }
};

constexpr int kMaxFormatItems = 96;

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

}  // namespace orowan::console
