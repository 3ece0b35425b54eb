#include "pictures/svg_writer.h"

#include <charconv>
#include <cmath>

namespace orowan::pictures {

std::string fixed(double value, int decimals) {
  if (!std::isfinite(value)) return "0";
  char buffer[400];
  auto [end, ec] =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  if (ec != std::errc()) return "0";
  std::string text(buffer, end);
  // A negative value that rounds to zero prints as "-0.00": drop the sign.
  if (text[0] == '-' && text.find_first_not_of("-0.") == std::string::npos) text.erase(0, 1);
  return text;
}

std::string num(double value) {
  std::string text = fixed(value, 2);
  if (text.find('.') != std::string::npos) {
    text.erase(text.find_last_not_of('0') + 1);
    if (text.back() == '.') text.pop_back();
  }
  return text;
}

std::string escapeXml(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

void SvgWriter::startTag(std::string_view tag, std::initializer_list<Attr> attrs) {
  out_ += '<';
  out_ += tag;
  for (const Attr& attr : attrs) {
    out_ += ' ';
    out_ += attr.name;
    out_ += "=\"";
    out_ += escapeXml(attr.value);
    out_ += '"';
  }
}

void SvgWriter::open(std::string_view tag, std::initializer_list<Attr> attrs) {
  startTag(tag, attrs);
  out_ += ">\n";
  openTags_.emplace_back(tag);
}

void SvgWriter::close() {
  if (openTags_.empty()) return;
  out_ += "</" + openTags_.back() + ">\n";
  openTags_.pop_back();
}

void SvgWriter::leaf(std::string_view tag, std::initializer_list<Attr> attrs) {
  startTag(tag, attrs);
  out_ += "/>\n";
}

void SvgWriter::text(std::string_view tag, std::initializer_list<Attr> attrs,
                     std::string_view content) {
  startTag(tag, attrs);
  out_ += '>';
  out_ += escapeXml(content);
  out_ += "</";
  out_ += tag;
  out_ += ">\n";
}

void SvgWriter::raw(std::string_view markup) { out_ += markup; }

std::string SvgWriter::take() {
  while (!openTags_.empty()) close();
  return std::move(out_);
}

}  // namespace orowan::pictures
