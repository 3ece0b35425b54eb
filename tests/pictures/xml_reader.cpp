#include "xml_reader.h"

#include <cctype>
#include <cstdlib>

namespace xmlcheck {
namespace {

class Reader {
 public:
  explicit Reader(std::string_view doc) : doc_(doc) {}

  Element document() {
    skipProlog();
    Element root = element();
    skipMisc();
    if (pos_ != doc_.size()) fail("content after the root element");
    return root;
  }

 private:
  [[noreturn]] void fail(const std::string& what) const {
    throw XmlError(what + " at byte " + std::to_string(pos_));
  }
  bool startsWith(std::string_view s) const { return doc_.substr(pos_, s.size()) == s; }
  void expect(std::string_view s) {
    if (!startsWith(s)) fail("expected '" + std::string(s) + "'");
    pos_ += s.size();
  }
  void skipSpace() {
    while (pos_ < doc_.size() &&
           std::string_view(" \t\r\n").find(doc_[pos_]) != std::string_view::npos)
      ++pos_;
  }
  void skipPast(std::string_view end) {
    std::size_t at = doc_.find(end, pos_);
    if (at == std::string_view::npos) fail("unterminated construct");
    pos_ = at + end.size();
  }

  // Comments and blanks, between elements outside the root.
  void skipMisc() {
    for (skipSpace(); startsWith("<!--"); skipSpace()) skipPast("-->");
  }

  void skipProlog() {
    if (startsWith("<?xml")) skipPast("?>");
    skipMisc();
    if (startsWith("<!DOCTYPE html>")) pos_ += 15;
    skipMisc();
  }

  std::string name() {
    std::size_t start = pos_;
    auto nameChar = [](char c) {
      return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_' || c == ':' ||
             c == '.';
    };
    while (pos_ < doc_.size() && nameChar(doc_[pos_])) ++pos_;
    if (pos_ == start || std::isdigit(static_cast<unsigned char>(doc_[start])))
      fail("expected a name");
    return std::string(doc_.substr(start, pos_ - start));
  }

  // Character data up to `stop`, with references replaced.
  std::string characters(char stop) {
    std::string out;
    while (pos_ < doc_.size() && doc_[pos_] != stop) {
      char c = doc_[pos_];
      if (c == '<') fail("'<' inside a value");
      if (c == '&') {
        out += reference();
        continue;
      }
      out += c;
      ++pos_;
    }
    return out;
  }

  std::string reference() {
    std::size_t end = doc_.find(';', pos_);
    if (end == std::string_view::npos || end - pos_ > 10) fail("bare '&'");
    std::string_view ref = doc_.substr(pos_ + 1, end - pos_ - 1);
    pos_ = end + 1;
    if (ref == "amp") return "&";
    if (ref == "lt") return "<";
    if (ref == "gt") return ">";
    if (ref == "quot") return "\"";
    if (ref == "apos") return "'";
    if (ref.size() < 2 || ref[0] != '#') fail("unknown entity &" + std::string(ref) + ";");
    bool hex = ref[1] == 'x';
    long code = std::strtol(std::string(ref.substr(hex ? 2 : 1)).c_str(), nullptr, hex ? 16 : 10);
    if (code <= 0 || code > 0x7F) fail("numeric reference outside ASCII");  // enough for tests
    return std::string(1, static_cast<char>(code));
  }

  void attributes(Element& e) {
    for (;;) {
      std::size_t before = pos_;
      skipSpace();
      if (startsWith("/>") || startsWith(">")) return;
      if (pos_ == before) fail("attributes must be separated by blanks");
      std::string key = name();
      if (e.attribute(key)) fail("repeated attribute " + key);
      skipSpace();
      expect("=");
      skipSpace();
      char quote = pos_ < doc_.size() ? doc_[pos_] : 0;
      if (quote != '"' && quote != '\'') fail("unquoted attribute value");
      ++pos_;
      std::string value = characters(quote);
      expect(std::string(1, quote));
      e.attributes.emplace_back(key, value);
    }
  }

  void content(Element& e) {
    for (;;) {
      if (pos_ >= doc_.size()) fail("unclosed element " + e.name);
      if (startsWith("</")) break;
      if (startsWith("<!--")) {
        skipPast("-->");
      } else if (startsWith("<")) {
        e.children.push_back(element());
      } else {
        std::size_t next = doc_.find('<', pos_);
        if (next == std::string_view::npos) fail("unclosed element " + e.name);
        std::string_view segment = doc_.substr(pos_, next - pos_);
        Reader part(segment);
        // Blanks between elements (line breaks of the writer) are not text.
        if (segment.find_first_not_of(" \t\r\n") != std::string_view::npos)
          e.text += part.characters('\0');
        pos_ = next;
      }
    }
    pos_ += 2;
    if (name() != e.name) fail("end tag does not match <" + e.name + ">");
    skipSpace();
    expect(">");
  }

  Element element() {
    expect("<");
    Element e;
    e.name = name();
    attributes(e);
    if (startsWith("/>")) {
      pos_ += 2;
      return e;
    }
    expect(">");
    content(e);
    return e;
  }

  std::string_view doc_;
  std::size_t pos_ = 0;
};

void collectText(const Element& e, std::string& out) {
  out += e.text;
  for (const Element& child : e.children) collectText(child, out);
}

}  // namespace

const std::string* Element::attribute(std::string_view key) const {
  for (const auto& [k, v] : attributes) {
    if (k == key) return &v;
  }
  return nullptr;
}

double Element::number(std::string_view key) const {
  const std::string* value = attribute(key);
  if (!value) throw XmlError("<" + name + "> has no attribute " + std::string(key));
  char* end = nullptr;
  double v = std::strtod(value->c_str(), &end);
  if (value->empty() || *end != '\0') throw XmlError("not a number: " + *value);
  return v;
}

bool Element::hasClass(std::string_view cls) const {
  const std::string* value = attribute("class");
  if (!value) return false;
  std::string_view words = *value;
  while (!words.empty()) {
    std::size_t blank = words.find(' ');
    if (words.substr(0, blank) == cls) return true;
    if (blank == std::string_view::npos) break;
    words.remove_prefix(blank + 1);
  }
  return false;
}

std::string Element::allText() const {
  std::string out;
  collectText(*this, out);
  return out;
}

Element parseXml(std::string_view document) { return Reader(document).document(); }

}  // namespace xmlcheck
