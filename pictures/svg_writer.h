// A small writer of SVG (and XHTML-compatible) markup: elements, attributes,
// escaping and compact number text. Deterministic and locale-independent.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace orowan::pictures {

// Number text for coordinates and lengths: at most two decimals, no
// trailing zeros, never "-0"; the same bytes under every locale. A value
// that is not finite becomes "0" (callers skip such data before).
std::string num(double value);

// Fixed-point text with `decimals` decimals (0 to 12), "-0" written as "0".
std::string fixed(double value, int decimals);

// `text` with &, <, >, " and ' replaced by entities: safe in element
// content and in quoted attribute values of both XML and HTML.
std::string escapeXml(std::string_view text);

// One attribute; the value is raw text, escaped by the writer.
struct Attr {
  std::string_view name;
  std::string value;
};

// Builds markup into a string, one element per line. Elements are closed
// in reverse order of opening, so the result is always well formed.
class SvgWriter {
 public:
  // Starts an element that takes children; close() ends it.
  void open(std::string_view tag, std::initializer_list<Attr> attrs = {});
  void close();
  // An element without content: <tag .../>.
  void leaf(std::string_view tag, std::initializer_list<Attr> attrs);
  // An element holding only text.
  void text(std::string_view tag, std::initializer_list<Attr> attrs, std::string_view content);
  // Appends markup as it is (e.g. a comment or a declaration).
  void raw(std::string_view markup);
  // Closes what is still open and hands over the text.
  std::string take();

 private:
  void startTag(std::string_view tag, std::initializer_list<Attr> attrs);
  std::string out_;
  std::vector<std::string> openTags_;
};

}  // namespace orowan::pictures
