// Format lists: a report template parsed once, at start-up, into items.
#include "console/format_list.h"

#include "console/fixed_format.h"

namespace orowan::console {

// Reads a list's text once and fills its items; the list stays invalid
// unless the text reaches its closing parenthesis cleanly.
struct FormatListParser {
  static constexpr int kMaxNumber = 9999;  // widths, counts and columns
  FormatList& list;
  const char* at;

  static bool isDigit(char c) { return c >= '0' && c <= '9'; }
  static char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

  // The next byte that is not a blank or a tab; not consumed.
  char peek() {
    while (*at == ' ' || *at == '\t') ++at;
    return *at;
  }

  // An unsigned number (blanks between its digits ignored); -1 when there
  // is none or it exceeds kMaxNumber.
  int number() {
    if (!isDigit(peek())) return -1;
    int value = 0;
    while (isDigit(peek())) {
      value = value * 10 + (*at++ - '0');
      if (value > kMaxNumber) return -1;
    }
    return value;
  }

  bool add(const FormatItem& item) {
    if (list.count_ >= kMaxFormatItems) return false;
    list.items_[list.count_++] = item;
    if (item.isDataField()) ++list.dataFields_;
    return true;
  }

  // Quoted text; `at` is on the opening quote. The text is not copied.
  bool quoted() {
    const char quote = *at++;
    const char* start = at;
    for (;; ++at) {
      if (*at == '\0') return false;
      if (*at == quote && at[1] != quote) break;
      if (*at == quote) ++at;  // a doubled quote stands for one
    }
    const FormatItem item{FormatItem::text, static_cast<std::int32_t>(start - list.text_),
                          static_cast<std::int32_t>(at - start), quote};
    ++at;
    return add(item);
  }

  // Fw.d after the F, `repeat` times.
  bool fixed(int repeat) {
    const int w = number();
    if (w < 1 || w > kMaxFieldWidth || peek() != '.') return false;
    ++at;
    const int d = number();
    if (d < 0) return false;
    for (int r = 0; r < repeat; ++r)
      if (!add({FormatItem::fixed, w, d})) return false;
    return true;
  }

  // Iw or Iw.m after the I, `repeat` times.
  bool integer(int repeat) {
    const int w = number();
    if (w < 1 || w > kMaxFieldWidth) return false;
    int m = 1;
    if (peek() == '.') {
      ++at;
      m = number();
      if (m < 0) return false;
    }
    for (int r = 0; r < repeat; ++r)
      if (!add({FormatItem::integer, w, m})) return false;
    return true;
  }

  // nX, rFw.d or rIw: an item that starts with a count.
  bool counted() {
    const int n = number();
    if (n < 1) return false;
    const char c = upper(peek());
    ++at;
    if (c == 'X') return add({FormatItem::skip, n});
    if (c == 'F') return fixed(n);
    if (c == 'I') return integer(n);
    return false;
  }

  // One item of any kind.
  bool item() {
    const char c = upper(peek());
    if (c == '\'' || c == '"') return quoted();
    if (isDigit(c)) return counted();
    ++at;
    switch (c) {
      case '/': return add({FormatItem::slash});
      case 'X': return add({FormatItem::skip, 1});
      case 'F': return fixed(1);
      case 'I': return integer(1);
      case 'T': {
        const int n = number();
        return n >= 1 && add({FormatItem::tab, n});
      }
      default: return false;  // other items, inner groups, the end of the text
    }
  }

  // The whole list. Items are separated by commas; a slash needs none.
  void parse() {
    if (peek() != '(') return;
    ++at;
    bool afterItem = false, afterComma = false, afterSlash = false;
    for (;;) {
      const char c = peek();
      if (c == ')') {
        list.valid_ = !afterComma;
        return;
      }
      if (c == ',') {
        if (!afterItem) return;
        ++at;
        afterItem = false;
        afterComma = true;
        continue;
      }
      const bool slash = c == '/';
      if (afterItem && !slash && !afterSlash) return;
      if (!item()) return;
      afterItem = true;
      afterComma = false;
      afterSlash = slash;
    }
  }
};

FormatList::FormatList(const char* text) : text_(text) {
  FormatListParser parser{*this, text};
  parser.parse();
  resumeAt_ = 0;  // no inner groups: a list resumes at its start
}

}  // namespace orowan::console
