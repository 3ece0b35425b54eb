// A strict reader of the XML the pictures library writes (SVG files, and
// HTML pages that are also well-formed XML): elements, attributes, text,
// the five named entities and numeric references, comments, the XML
// declaration and <!DOCTYPE html>. Anything else, a mismatched end tag, a
// repeated attribute, a bare "&" or "<", or text after the root element,
// throws XmlError. Tests use it so that malformed output fails loudly.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace xmlcheck {

struct XmlError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct Element {
  std::string name;
  std::vector<std::pair<std::string, std::string>> attributes;  // in document order
  std::vector<Element> children;
  // The character data directly inside, entities replaced; runs of only
  // blanks and line breaks between elements are left out.
  std::string text;

  // The attribute's value, or nullptr.
  const std::string* attribute(std::string_view name) const;
  // The attribute as a number; throws XmlError when absent or not a number.
  double number(std::string_view name) const;
  // Whether the class attribute lists `cls` as one of its words.
  bool hasClass(std::string_view cls) const;
  // The text of this element and all its descendants, in document order.
  std::string allText() const;
};

// The root element of `document`.
Element parseXml(std::string_view document);

}  // namespace xmlcheck
