#include "pictures/plot.h"

#include <algorithm>
#include <cmath>

namespace orowan::pictures {
namespace {

constexpr const char* kInk = "#404040";  // frame and ticks
constexpr const char* kGrid = "#e4e4e4";
constexpr double kLegendPad = 8, kLegendRow = 18, kLegendSample = 34;

bool drawable(const Axis& axis, double value) {
  return std::isfinite(value) && (axis.kind == ScaleKind::linear || value > 0);
}

std::string dashOf(const LineStyle& style) { return style.dash.empty() ? "none" : style.dash; }

// Path data of a marker shape of half-size s around p (circle and square
// are drawn as their own elements).
std::string shapePath(Point p, MarkerShape shape, double s) {
  auto at = [&](double dx, double dy) { return num(p.x + dx) + "," + num(p.y + dy); };
  switch (shape) {
    case MarkerShape::triangle:
      return "M" + at(0, -s * 1.2) + "L" + at(s, s * 0.8) + " " + at(-s, s * 0.8) + "Z";
    case MarkerShape::triangleDown:
      return "M" + at(0, s * 1.2) + "L" + at(s, -s * 0.8) + " " + at(-s, -s * 0.8) + "Z";
    case MarkerShape::diamond:
      return "M" + at(0, -s * 1.25) + "L" + at(s, 0) + " " + at(0, s * 1.25) + " " + at(-s, 0) +
             "Z";
    case MarkerShape::cross:
      return "M" + at(-s, -s) + "L" + at(s, s) + "M" + at(-s, s) + "L" + at(s, -s);
    case MarkerShape::plus:
      return "M" + at(-s, 0) + "L" + at(s, 0) + "M" + at(0, -s) + "L" + at(0, s);
    default:  // star: plus and cross together
      return "M" + at(-s, 0) + "L" + at(s, 0) + "M" + at(0, -s) + "L" + at(0, s) + "M" +
             at(-s * 0.75, -s * 0.75) + "L" + at(s * 0.75, s * 0.75) + "M" +
             at(-s * 0.75, s * 0.75) + "L" + at(s * 0.75, -s * 0.75);
  }
}

void drawXTicks(SvgWriter& svg, const Frame& f) {
  for (std::size_t i = 0; i < f.x.ticks.size(); ++i) {
    double px = f.x.toPixel(f.x.ticks[i]);
    svg.open("g", {{"class", "tick x"}});
    svg.leaf("line", {{"x1", num(px)},
                      {"y1", num(f.area.y1)},
                      {"x2", num(px)},
                      {"y2", num(f.area.y1 + 5)},
                      {"stroke", kInk}});
    svg.text("text",
             {{"x", num(px)},
              {"y", num(f.area.y1 + 19)},
              {"text-anchor", "middle"},
              {"font-size", num(kTickFont)}},
             f.x.labels[i]);
    svg.close();
  }
  for (double t : f.x.minorTicks) {
    double px = f.x.toPixel(t);
    svg.leaf("line", {{"class", "minor-tick x"},
                      {"x1", num(px)},
                      {"y1", num(f.area.y1)},
                      {"x2", num(px)},
                      {"y2", num(f.area.y1 + 3)},
                      {"stroke", kInk}});
  }
}

void drawYTicks(SvgWriter& svg, const Frame& f) {
  for (std::size_t i = 0; i < f.y.ticks.size(); ++i) {
    double py = f.y.toPixel(f.y.ticks[i]);
    svg.open("g", {{"class", "tick y"}});
    svg.leaf("line", {{"x1", num(f.area.x0 - 5)},
                      {"y1", num(py)},
                      {"x2", num(f.area.x0)},
                      {"y2", num(py)},
                      {"stroke", kInk}});
    svg.text("text",
             {{"x", num(f.area.x0 - 8)},
              {"y", num(py + 4)},
              {"text-anchor", "end"},
              {"font-size", num(kTickFont)}},
             f.y.labels[i]);
    svg.close();
  }
  for (double t : f.y.minorTicks) {
    double py = f.y.toPixel(t);
    svg.leaf("line", {{"class", "minor-tick y"},
                      {"x1", num(f.area.x0 - 3)},
                      {"y1", num(py)},
                      {"x2", num(f.area.x0)},
                      {"y2", num(py)},
                      {"stroke", kInk}});
  }
}

// Candidate legend boxes inside `area`: the top row first, then the bottom
// row, then the middle, each from the right corner to the left.
std::vector<Box> legendCandidates(const Box& area, const Box& size) {
  const double inset = 6;
  double left = area.x0 + inset, right = area.x1 - inset - size.width();
  double top = area.y0 + inset, bottom = area.y1 - inset - size.height();
  std::vector<Box> boxes;
  for (double y : {top, bottom, (top + bottom) / 2}) {
    for (double f : {1.0, 0.0, 0.5, 0.75, 0.25}) {
      boxes.push_back(boxAt(left + f * (right - left), y, size.width(), size.height()));
    }
  }
  return boxes;
}

}  // namespace

void fitAxes(Frame& frame) {
  frame.x.pixelLo = frame.area.x0;
  frame.x.pixelHi = frame.area.x1;
  frame.y.pixelLo = frame.area.y1;
  frame.y.pixelHi = frame.area.y0;
}

std::vector<Polyline> pixelRuns(const Frame& frame, const std::vector<double>& xs,
                                const std::vector<double>& ys, std::size_t count) {
  std::vector<Polyline> runs;
  bool open = false;
  for (std::size_t i = 0; i < count && i < xs.size() && i < ys.size(); ++i) {
    if (!drawable(frame.x, xs[i]) || !drawable(frame.y, ys[i])) {
      open = false;
      continue;
    }
    if (!open) runs.emplace_back();
    runs.back().push_back({frame.x.toPixel(xs[i]), frame.y.toPixel(ys[i])});
    open = true;
  }
  return runs;
}

void addRuns(std::vector<Polyline>& to, const std::vector<Polyline>& runs) {
  to.insert(to.end(), runs.begin(), runs.end());
}

std::string pathData(const std::vector<Polyline>& runs) {
  std::string d;
  for (const Polyline& run : runs) {
    for (std::size_t i = 0; i < run.size(); ++i) {
      d += i == 0 ? (d.empty() ? "M" : " M") : (i == 1 ? "L" : " ");
      d += num(run[i].x) + "," + num(run[i].y);
    }
  }
  return d;
}

void drawBackground(SvgWriter& svg, const Frame& f) {
  svg.leaf("rect", {{"class", "plot-area"},
                    {"x", num(f.area.x0)},
                    {"y", num(f.area.y0)},
                    {"width", num(f.area.width())},
                    {"height", num(f.area.height())},
                    {"fill", "#ffffff"}});
  std::string d;
  for (double t : f.x.ticks)
    d += "M" + num(f.x.toPixel(t)) + "," + num(f.area.y0) + "V" + num(f.area.y1);
  for (double t : f.y.ticks)
    d += "M" + num(f.area.x0) + "," + num(f.y.toPixel(t)) + "H" + num(f.area.x1);
  svg.leaf("path", {{"class", "grid"}, {"d", d}, {"fill", "none"}, {"stroke", kGrid}});
  if (f.y.kind == ScaleKind::linear && f.y.lo < 0 && f.y.hi > 0) {
    double py = f.y.toPixel(0);
    svg.leaf("line", {{"class", "zero-line"},
                      {"x1", num(f.area.x0)},
                      {"y1", num(py)},
                      {"x2", num(f.area.x1)},
                      {"y2", num(py)},
                      {"stroke", "#8c8c8c"}});
  }
}

void drawAxes(SvgWriter& svg, const Frame& f, double yTitleX) {
  svg.leaf("rect", {{"class", "frame"},
                    {"x", num(f.area.x0)},
                    {"y", num(f.area.y0)},
                    {"width", num(f.area.width())},
                    {"height", num(f.area.height())},
                    {"fill", "none"},
                    {"stroke", kInk}});
  drawXTicks(svg, f);
  drawYTicks(svg, f);
  double cx = (f.area.x0 + f.area.x1) / 2, cy = (f.area.y0 + f.area.y1) / 2;
  if (!f.xTitle.empty()) {
    svg.text("text",
             {{"class", "axis-title x"},
              {"x", num(cx)},
              {"y", num(f.area.y1 + 40)},
              {"text-anchor", "middle"}},
             f.xTitle);
  }
  svg.text("text",
           {{"class", "axis-title y"},
            {"x", num(yTitleX)},
            {"y", num(cy)},
            {"text-anchor", "middle"},
            {"transform", "rotate(-90 " + num(yTitleX) + " " + num(cy) + ")"}},
           f.yTitle);
}

void drawCurve(SvgWriter& svg, const std::vector<Polyline>& runs, const std::string& cls,
               const LineStyle& style) {
  svg.leaf("path", {{"class", cls},
                    {"d", pathData(runs)},
                    {"fill", "none"},
                    {"stroke", style.colour},
                    {"stroke-width", num(style.width)},
                    {"stroke-dasharray", dashOf(style)},
                    {"stroke-linejoin", "round"}});
  // A lone point would not show as a path: a dot of class "point <kind>".
  std::string dotClass = "point " + (cls.rfind("curve ", 0) == 0 ? cls.substr(6) : cls);
  for (const Polyline& run : runs) {
    if (run.size() != 1) continue;
    svg.leaf("circle", {{"class", dotClass},
                        {"cx", num(run[0].x)},
                        {"cy", num(run[0].y)},
                        {"r", num(style.width + 1.5)},
                        {"fill", style.colour}});
  }
}

void drawMarker(SvgWriter& svg, Point p, MarkerShape shape, const std::string& colour,
                const std::string& cls) {
  const double s = 4.5;
  switch (shape) {
    case MarkerShape::none:
      return;
    case MarkerShape::ring:
      svg.leaf("circle", {{"class", cls},
                          {"cx", num(p.x)},
                          {"cy", num(p.y)},
                          {"r", "5"},
                          {"fill", "#ffffff"},
                          {"stroke", colour},
                          {"stroke-width", "2"}});
      return;
    case MarkerShape::circle:
      svg.leaf(
          "circle",
          {{"class", cls}, {"cx", num(p.x)}, {"cy", num(p.y)}, {"r", num(s)}, {"fill", colour}});
      return;
    case MarkerShape::square:
      svg.leaf("rect", {{"class", cls},
                        {"x", num(p.x - s * 0.9)},
                        {"y", num(p.y - s * 0.9)},
                        {"width", num(s * 1.8)},
                        {"height", num(s * 1.8)},
                        {"fill", colour}});
      return;
    case MarkerShape::cross:
    case MarkerShape::plus:
    case MarkerShape::star:
      svg.leaf("path", {{"class", cls},
                        {"d", shapePath(p, shape, s)},
                        {"fill", "none"},
                        {"stroke", colour},
                        {"stroke-width", "2"}});
      return;
    default:
      svg.leaf("path", {{"class", cls}, {"d", shapePath(p, shape, s)}, {"fill", colour}});
  }
}

Box legendSize(const std::vector<LegendEntry>& entries) {
  double text = 0;
  for (const LegendEntry& e : entries) text = std::max(text, textWidth(e.text, kTextFont));
  return boxAt(0, 0, 3 * kLegendPad + kLegendSample + text,
               2 * kLegendPad + kLegendRow * static_cast<double>(entries.size()) - 4);
}

void drawLegend(SvgWriter& svg, const Box& box, const std::vector<LegendEntry>& entries) {
  svg.open("g", {{"class", "legend"}});
  svg.leaf("rect", {{"class", "legend-box"},
                    {"x", num(box.x0)},
                    {"y", num(box.y0)},
                    {"width", num(box.width())},
                    {"height", num(box.height())},
                    {"fill", "#ffffff"},
                    {"fill-opacity", "0.92"},
                    {"stroke", "#8c8c8c"}});
  double x0 = box.x0 + kLegendPad, x1 = x0 + kLegendSample;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const LegendEntry& e = entries[i];
    double y = box.y0 + kLegendPad + 7 + kLegendRow * static_cast<double>(i);
    svg.open("g", {{"class", "legend-entry " + e.cls}});
    if (e.halo) {
      svg.leaf("line", {{"x1", num(x0)},
                        {"y1", num(y)},
                        {"x2", num(x1)},
                        {"y2", num(y)},
                        {"stroke", "#000000"},
                        {"stroke-opacity", "0.22"},
                        {"stroke-width", "9"}});
    }
    if (e.line.width > 0) {
      svg.leaf("line", {{"x1", num(x0)},
                        {"y1", num(y)},
                        {"x2", num(x1)},
                        {"y2", num(y)},
                        {"stroke", e.line.colour},
                        {"stroke-width", num(e.line.width)},
                        {"stroke-dasharray", dashOf(e.line)}});
    }
    drawMarker(svg, {(x0 + x1) / 2, y}, e.marker, e.markerColour, "legend-marker");
    svg.text("text", {{"x", num(x1 + kLegendPad)}, {"y", num(y + 4.5)}}, e.text);
    svg.close();
  }
  svg.close();
}

LegendPlace placeLegend(const Frame& frame, const Box& size,
                        const std::function<Obstacles(const Frame&)>& obstaclesFor) {
  for (int extra = 0; extra <= 2; ++extra) {
    Frame f = frame;
    f.y = extendedTop(frame.y, extra);
    fitAxes(f);
    auto box = firstFree(legendCandidates(f.area, size), obstaclesFor(f), f.area, 4);
    if (box) return {extra, box};
  }
  return {0, std::nullopt};
}

Axis readableXAxis(const Extent& extent, int intervals, double length) {
  for (;; --intervals) {
    Axis axis = linearAxis(extent, intervals);
    double widest = 0;
    for (const std::string& label : axis.labels)
      widest = std::max(widest, textWidth(label, kTickFont));
    double spacing = length / static_cast<double>(axis.ticks.size() - 1);
    if (widest + 10 <= spacing || intervals <= 2) return axis;
  }
}

double widestTickLabel(const Axis& axis) {
  double widest = 0;
  for (const std::string& label : extendedTop(axis, 2).labels) {
    widest = std::max(widest, textWidth(label, kTickFont));
  }
  return widest;
}

double lastLabelOverhang(const Axis& x) {
  return x.labels.empty() ? 0 : textWidth(x.labels.back(), kTickFont) / 2 + 6;
}

namespace {

std::string joinWords(const std::vector<std::string>& words, std::size_t from, std::size_t to) {
  std::string line;
  for (std::size_t k = from; k < to; ++k) line += (k == from ? "" : " ") + words[k];
  return line;
}

bool endsAnItem(const std::string& word) {
  return !word.empty() && (word.back() == ',' || word.back() == ';' || word.back() == ':');
}

}  // namespace

std::vector<std::string> wrapText(const std::string& text, double width, double fontSize) {
  std::vector<std::string> words;
  for (std::size_t start = 0; start <= text.size();) {
    const std::size_t end = std::min(text.find(' ', start), text.size());
    words.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  std::vector<std::string> lines;
  std::size_t first = 0;  // the current line's first word
  for (std::size_t next = first + 1; next <= words.size(); ++next) {
    // Words first..next-1 are the line so far; while too wide, it ends at
    // the last item's end before its last word, else before that word.
    while (next - first > 1 && textWidth(joinWords(words, first, next), fontSize) > width) {
      std::size_t cut = next - 1;
      for (std::size_t k = next - 1; k > first; --k) {
        if (endsAnItem(words[k - 1])) {
          cut = k;
          break;
        }
      }
      lines.push_back(joinWords(words, first, cut));
      first = cut;
    }
  }
  lines.push_back(joinWords(words, first, words.size()));
  return lines;
}

void openSvg(SvgWriter& svg, double width, double height, const std::string& cls, bool standalone) {
  if (standalone) svg.raw("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n");
  svg.open("svg", {{"xmlns", "http://www.w3.org/2000/svg"},
                   {"class", cls},
                   {"width", num(width)},
                   {"height", num(height)},
                   {"viewBox", "0 0 " + num(width) + " " + num(height)},
                   {"font-family", kFontFamily},
                   {"font-size", num(kTextFont)}});
}

double layoutTitles(const std::string& title, const std::string& subtitle, double width,
                    std::vector<std::string>& titleLines,
                    std::vector<std::string>& subtitleLines, double& subtitleY) {
  // The title is bold: DejaVu Sans Bold's advances are up to 1.13 times the
  // regular ones of the width table, so it wraps at the narrower width.
  constexpr double kBoldWidening = 1.13;
  titleLines = wrapText(title, (width - 40) / kBoldWidening, kTitleFont);
  double y = 28 + 21 * static_cast<double>(titleLines.size() - 1);
  if (subtitle.empty()) return y;
  subtitleLines = wrapText(subtitle, width - 40, kTextFont);
  subtitleY = y += 20;
  return y + kSubtitleLineHeight * static_cast<double>(subtitleLines.size() - 1);
}

void drawTitles(SvgWriter& svg, double width, const std::vector<std::string>& titleLines,
                const std::vector<std::string>& subtitleLines, double subtitleY) {
  const double cx = width / 2;
  for (std::size_t i = 0; i < titleLines.size(); ++i) {
    svg.text("text",
             {{"class", "title"},
              {"x", num(cx)},
              {"y", num(28 + 21 * static_cast<double>(i))},
              {"text-anchor", "middle"},
              {"font-size", num(kTitleFont)},
              {"font-weight", "bold"}},
             titleLines[i]);
  }
  for (std::size_t i = 0; i < subtitleLines.size(); ++i) {
    svg.text("text",
             {{"class", "subtitle"},
              {"x", num(cx)},
              {"y", num(subtitleY + kSubtitleLineHeight * static_cast<double>(i))},
              {"text-anchor", "middle"}},
             subtitleLines[i]);
  }
}

}  // namespace orowan::pictures
