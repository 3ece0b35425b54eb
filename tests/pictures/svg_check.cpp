#include "svg_check.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

namespace svgcheck {
namespace {

using xmlcheck::XmlError;

void collect(const Element& e, const std::vector<std::string_view>& words,
             std::vector<const Element*>& out) {
  if (std::all_of(words.begin(), words.end(), [&](std::string_view w) { return e.hasClass(w); })) {
    out.push_back(&e);
  }
  for (const Element& child : e.children) collect(child, words, out);
}

// Reads numbers separated by blanks and commas, and single command letters.
class PathTokens {
 public:
  explicit PathTokens(const std::string& d) : d_(d) {}
  // The next command letter, or 0 when a number follows (an implicit
  // repeat) or at the end.
  char command() {
    skip();
    if (pos_ < d_.size() && std::isalpha(static_cast<unsigned char>(d_[pos_]))) return d_[pos_++];
    return 0;
  }
  bool atEnd() {
    skip();
    return pos_ >= d_.size();
  }
  double number() {
    skip();
    const char* start = d_.c_str() + pos_;
    char* end = nullptr;
    double v = std::strtod(start, &end);
    if (end == start || !std::isfinite(v)) throw XmlError("bad number in path data: " + d_);
    pos_ += static_cast<std::size_t>(end - start);
    return v;
  }

 private:
  void skip() {
    while (pos_ < d_.size() && (d_[pos_] == ' ' || d_[pos_] == ',')) ++pos_;
  }
  const std::string& d_;
  std::size_t pos_ = 0;
};

// The pieces of a label: its mantissa text and its superscript exponent.
int superscriptDigit(std::string_view s, std::size_t& at) {
  static const std::string_view digits[] = {"⁰", "¹", "²", "³", "⁴", "⁵", "⁶", "⁷", "⁸", "⁹"};
  for (int d = 0; d < 10; ++d) {
    if (s.substr(at, digits[d].size()) == digits[d]) {
      at += digits[d].size();
      return d;
    }
  }
  return -1;
}

int superscriptNumber(std::string_view s) {
  std::size_t at = 0;
  int sign = 1;
  if (s.substr(0, 3) == "⁻") {
    sign = -1;
    at = 3;
  }
  int value = 0, digits = 0;
  for (int d; (d = superscriptDigit(s, at)) >= 0; ++digits) value = value * 10 + d;
  if (digits == 0 || at != s.size()) throw XmlError("bad exponent in label: " + std::string(s));
  return sign * value;
}

double plainNumber(std::string_view s) {
  std::string text(s);
  if (text.substr(0, 3) == "−") text.replace(0, 3, "-");
  char* end = nullptr;
  double v = std::strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0') throw XmlError("bad tick label: " + std::string(s));
  return v;
}

bool segmentCrosses(Point a, Point b, const Box& box) {
  // Liang-Barsky: clip the parameter range t in [0, 1] to the box.
  double t0 = 0, t1 = 1, dx = b.x - a.x, dy = b.y - a.y;
  const double p[] = {-dx, dx, -dy, dy};
  const double q[] = {a.x - box.x0, box.x1 - a.x, a.y - box.y0, box.y1 - a.y};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0) {
      if (q[i] < 0) return false;
      continue;
    }
    double t = q[i] / p[i];
    if (p[i] < 0)
      t0 = std::max(t0, t);
    else
      t1 = std::min(t1, t);
  }
  return t0 <= t1;
}

}  // namespace

std::vector<const Element*> findAll(const Element& root, std::string_view classes) {
  std::vector<std::string_view> words;
  for (std::size_t at = 0; at < classes.size();) {
    std::size_t blank = std::min(classes.find(' ', at), classes.size());
    words.push_back(classes.substr(at, blank - at));
    at = blank + 1;
  }
  std::vector<const Element*> out;
  collect(root, words, out);
  return out;
}

const Element& findOne(const Element& root, std::string_view classes) {
  auto found = findAll(root, classes);
  if (found.size() != 1) {
    throw XmlError(std::to_string(found.size()) + " elements of class \"" + std::string(classes) +
                   "\"");
  }
  return *found[0];
}

std::vector<Run> pathRuns(const Element& path) {
  std::vector<Run> runs;
  if (path.name == "polyline") {
    PathTokens tokens(*path.attribute("points"));
    runs.emplace_back();
    while (!tokens.atEnd()) runs.back().push_back({tokens.number(), tokens.number()});
    return runs;
  }
  const std::string* d = path.attribute("d");
  if (!d) throw XmlError("<path> without d");
  PathTokens tokens(*d);
  char last = 0;
  while (!tokens.atEnd()) {
    char c = tokens.command();
    if (c == 0) c = last;  // an implicit repeat of the last command
    if (c == 'M') runs.emplace_back();
    if (runs.empty()) throw XmlError("path data must start with M");
    Point at = runs.back().empty() ? Point{} : runs.back().back();
    if (c == 'M' || c == 'L')
      at = {tokens.number(), tokens.number()};
    else if (c == 'H')
      at.x = tokens.number();
    else if (c == 'V')
      at.y = tokens.number();
    else
      throw XmlError(std::string("path command ") + c + " not read");
    runs.back().push_back(at);
    last = c == 'M' ? 'L' : c;
  }
  return runs;
}

std::size_t vertexCount(const std::vector<Run>& runs) { return vertices(runs).size(); }

Run vertices(const std::vector<Run>& runs) {
  Run all;
  for (const Run& run : runs) all.insert(all.end(), run.begin(), run.end());
  return all;
}

bool isDecadeLabel(std::string_view label) {
  return label.size() > 2 && label.substr(0, 2) == "10" &&
         !std::isdigit(static_cast<unsigned char>(label[2])) &&
         label.find('.') == std::string_view::npos;
}

double labelValue(std::string_view label) {
  if (isDecadeLabel(label)) return std::pow(10.0, superscriptNumber(label.substr(2)));
  std::size_t times = label.find("×10");
  if (times == std::string_view::npos) return plainNumber(label);
  return plainNumber(label.substr(0, times)) *
         std::pow(10.0, superscriptNumber(label.substr(times + std::string_view("×10").size())));
}

std::vector<Tick> ticks(const Element& panel, char axis) {
  std::vector<Tick> out;
  for (const Element* tick : findAll(panel, axis == 'x' ? "tick x" : "tick y")) {
    const Element* line = nullptr;
    const Element* text = nullptr;
    for (const Element& child : tick->children) {
      if (child.name == "line") line = &child;
      if (child.name == "text") text = &child;
    }
    if (!line || !text) throw XmlError("a tick without its line or label");
    std::string label = text->allText();
    out.push_back({label, labelValue(label), line->number(axis == 'x' ? "x1" : "y1")});
  }
  return out;
}

double Scale::toPixel(double value) const {
  auto f = [&](double v) { return logarithmic ? std::log10(v) : v; };
  return a.pixel + (f(value) - f(a.value)) / (f(b.value) - f(a.value)) * (b.pixel - a.pixel);
}

double Scale::toValue(double pixel) const {
  double t = (pixel - a.pixel) / (b.pixel - a.pixel);
  if (!logarithmic) return a.value + t * (b.value - a.value);
  return std::pow(10.0, std::log10(a.value) + t * (std::log10(b.value) - std::log10(a.value)));
}

Scale axisScale(const Element& panel, char axis) {
  std::vector<Tick> all = ticks(panel, axis);
  if (all.size() < 2) throw XmlError("fewer than two labelled ticks");
  Scale scale;
  scale.a = all.front();
  scale.b = all.back();
  scale.logarithmic =
      std::all_of(all.begin(), all.end(), [](const Tick& t) { return isDecadeLabel(t.label); });
  return scale;
}

Box rectBox(const Element& rect) {
  double x = rect.number("x"), y = rect.number("y");
  return {x, y, x + rect.number("width"), y + rect.number("height")};
}

bool crosses(const std::vector<Run>& runs, const Box& box) {
  for (const Run& run : runs) {
    if (run.size() == 1 && segmentCrosses(run[0], run[0], box)) return true;
    for (std::size_t i = 1; i < run.size(); ++i) {
      if (segmentCrosses(run[i - 1], run[i], box)) return true;
    }
  }
  return false;
}

}  // namespace svgcheck
