// The summary, the residual table and the page. Charts are drawn here as
// scatter plots with the pictures' frames, axes and markers.
#include "calibrate/report.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include <nlohmann/json.hpp>

#include "pictures/plot.h"

namespace orowan::calibrate {
namespace {

using nlohmann::ordered_json;
namespace pic = orowan::pictures;

// A double as JSON: a number, or null when it is not finite.
ordered_json number(double v) { return std::isfinite(v) ? ordered_json(v) : ordered_json(nullptr); }

ordered_json statsJson(const ErrorStats& e) {
  return {{"lines", e.count}, {"rms", number(e.rms)}, {"largest", number(e.largest)}};
}

std::string shortest(double v) {
  if (!std::isfinite(v)) return "";
  char buffer[32];
  const auto end = std::to_chars(buffer, buffer + sizeof buffer, v).ptr;
  return std::string(buffer, end);
}

// ---- charts

struct Scatter {
  std::string title, xTitle, yTitle;
  std::vector<double> x, y;
  bool parity = false;      // the line y = x and ±5 % lines
  bool zeroBand = false;    // the ±5 % band about a zero miss
  std::string id = "plot";  // of the clip path: one per picture of a page
};

constexpr double kWidth = 900, kHeight = 520;

// A frame with axes over the points (and the lines drawn with them).
pic::Frame frameOf(const Scatter& s, double legendWidth) {
  pic::Extent ex, ey;
  for (std::size_t i = 0; i < s.x.size(); ++i)
    if (std::isfinite(s.x[i]) && std::isfinite(s.y[i])) ex.add(s.x[i]), ey.add(s.y[i]);
  if (s.parity) {
    ex.add(std::min(ex.min, ey.min)), ex.add(std::max(ex.max, ey.max));
    ey = ex;
  }
  if (s.zeroBand) ey.add(0.06), ey.add(-0.06);
  if (ex.empty()) ex.add(0), ex.add(1);
  if (ey.empty()) ey.add(0), ey.add(1);
  if (ex.min == ex.max) ex.add(ex.min + 1), ex.add(ex.min - 1);
  pic::Frame f;
  f.area = {90, 70, kWidth - 30 - legendWidth, kHeight - 70};
  f.x = pic::readableXAxis(ex, 8, f.area.width());
  f.y = pic::linearAxis(ey, 8);
  f.xTitle = s.xTitle;
  f.yTitle = s.yTitle;
  pic::fitAxes(f);
  return f;
}

// A straight reference line from data (x0, y0) to (x1, y1), clipped by
// the axes' range.
void referenceLine(pic::SvgWriter& svg, const pic::Frame& f, double x0, double y0, double x1, double y1,
                   const std::string& cls, const pic::LineStyle& style) {
  const std::vector<double> xs{x0, x1}, ys{y0, y1};
  pic::drawCurve(svg, pic::pixelRuns(f, xs, ys, 2), cls, style);
}

// The legend of the reference lines and the points, right of the plot
// area so that it covers no point.
std::vector<pic::LegendEntry> legendOf(const Scatter& s, const pic::LineStyle& solid, const pic::LineStyle& dashed) {
  return {{s.parity ? "computed = measured" : "no miss", "ref", solid},
          {"±5 %", "band", dashed},
          {"log line", "points", {"#000000", 0, ""}, false, pic::MarkerShape::ring, "#1f5fa8"}};
}

std::string scatterSvg(const Scatter& s) {
  const pic::LineStyle solid{"#444444", 1.5, ""}, dashed{"#c0392b", 1.5, "6 4"};
  const std::vector<pic::LegendEntry> legend = legendOf(s, solid, dashed);
  const pic::Box size = pic::legendSize(legend);
  pic::Frame f = frameOf(s, size.width() + 24);
  pic::SvgWriter svg;
  pic::openSvg(svg, kWidth, kHeight, "calibration-chart", true);
  std::vector<std::string> title{s.title}, none;
  pic::drawBackground(svg, f);
  svg.open("clipPath", {{"id", s.id}});
  svg.leaf("rect", {{"x", std::to_string(f.area.x0)}, {"y", std::to_string(f.area.y0)},
                    {"width", std::to_string(f.area.width())}, {"height", std::to_string(f.area.height())}});
  svg.close();
  svg.open("g", {{"clip-path", "url(#" + s.id + ")"}});
  if (s.parity) {
    const double lo = f.x.lo, hi = f.x.hi;
    referenceLine(svg, f, lo, lo, hi, hi, "parity", solid);
    referenceLine(svg, f, lo, lo * 1.05, hi, hi * 1.05, "band plus", dashed);
    referenceLine(svg, f, lo, lo * 0.95, hi, hi * 0.95, "band minus", dashed);
  }
  if (s.zeroBand) {
    referenceLine(svg, f, f.x.lo, 0, f.x.hi, 0, "zero", solid);
    referenceLine(svg, f, f.x.lo, 0.05, f.x.hi, 0.05, "band plus", dashed);
    referenceLine(svg, f, f.x.lo, -0.05, f.x.hi, -0.05, "band minus", dashed);
  }
  for (std::size_t i = 0; i < s.x.size(); ++i) {
    if (!std::isfinite(s.x[i]) || !std::isfinite(s.y[i])) continue;
    pic::drawMarker(svg, {f.x.toPixel(s.x[i]), f.y.toPixel(s.y[i])}, pic::MarkerShape::ring, "#1f5fa8", "point");
  }
  svg.close();
  pic::drawAxes(svg, f, 24);
  pic::drawTitles(svg, kWidth, title, none, 0);
  pic::drawLegend(svg, pic::boxAt(f.area.x1 + 24, f.area.y0, size.width(), size.height()), legend);
  return svg.take();
}

// Bars of a histogram of the misses after the fit, in per cent.
std::string histogramOf(const std::vector<double>& misses) {
  std::vector<double> m;
  for (const double v : misses)
    if (std::isfinite(v)) m.push_back(100 * v);
  pic::Extent ex;
  for (const double v : m) ex.add(v);
  if (ex.empty()) ex.add(-1), ex.add(1);
  const double half = std::max({std::fabs(ex.min), std::fabs(ex.max), 1.0});
  const int bins = 24;
  const double width = 2 * half / bins;
  std::vector<int> counts(bins, 0);
  for (const double v : m) counts[std::size_t(std::clamp(int((v + half) / width), 0, bins - 1))]++;
  pic::Extent ey;
  ey.add(0), ey.add(*std::max_element(counts.begin(), counts.end()) + 1);
  pic::Extent exs;
  exs.add(-half), exs.add(half);
  pic::Frame f;
  f.area = {90, 70, kWidth - 30, kHeight - 70};
  f.x = pic::readableXAxis(exs, 8, f.area.width());
  f.y = pic::linearAxis(ey, 6);
  f.xTitle = "relative miss of the force after the fit (%)";
  f.yTitle = "log lines";
  pic::fitAxes(f);
  pic::SvgWriter svg;
  pic::openSvg(svg, kWidth, kHeight, "calibration-histogram", true);
  pic::drawBackground(svg, f);
  for (int b = 0; b < bins; ++b) {
    const double x0 = f.x.toPixel(-half + b * width), x1 = f.x.toPixel(-half + (b + 1) * width);
    const double y0 = f.y.toPixel(counts[std::size_t(b)]), y1 = f.y.toPixel(0);
    svg.leaf("rect", {{"class", "bar"}, {"x", std::to_string(x0)}, {"y", std::to_string(y0)},
                      {"width", std::to_string(std::max(0.0, x1 - x0 - 1))}, {"height", std::to_string(y1 - y0)},
                      {"fill", "#1f5fa8"}, {"fill-opacity", "0.7"}});
  }
  pic::drawAxes(svg, f, 24);
  std::vector<std::string> title{"Histogram of the force misses after the fit"}, none;
  pic::drawTitles(svg, kWidth, title, none, 0);
  return svg.take();
}

std::string escaped(const std::string& s) {
  std::string out;
  for (const char c : s) {
    if (c == '<') out += "&lt;";
    else if (c == '>') out += "&gt;";
    else if (c == '&') out += "&amp;";
    else if (c == '"') out += "&quot;";
    else out += c;
  }
  return out;
}

// The columns whose values differ between lines.
std::vector<int> varyingColumns(const Log& log) {
  std::vector<int> out;
  for (std::size_t c = 0; c < log.numberNames.size(); ++c) {
    pic::Extent e;
    for (const LogLine& l : log.lines)
      if (std::isfinite(l.numbers[c])) e.add(l.numbers[c]);
    if (!e.empty() && e.max > e.min) out.push_back(int(c));
  }
  return out;
}

// The SVG without its XML declaration, for the page.
std::string inlined(const std::string& svg) {
  const auto at = svg.find("<svg");
  return at == std::string::npos ? svg : svg.substr(at);
}

}  // namespace

std::string summaryJson(const Model& model, const Log& log, const Calibration& c) {
  ordered_json j;
  ordered_json params = ordered_json::object();
  for (std::size_t i = 0; i < c.names.size(); ++i)
    params[c.names[i]] = {{"value", number(c.values[i])}, {"stderr", number(c.stderrs[i])}};
  j["parameters"] = params;
  const char* losses[] = {"squared", "huber", "cauchy"};
  j["loss"] = losses[int(model.loss)];
  if (model.loss != Loss::squared) j["loss_scale"] = model.lossScale;
  j["lines_used"] = long(log.lines.size()) - c.failed;
  ordered_json refused = ordered_json::array();
  for (const Refusal& r : log.refused) refused.push_back({{"line", r.line}, {"why", r.why}});
  for (std::size_t i = 0; i < c.after.size(); ++i)
    if (!c.after[i].ok) refused.push_back({{"line", log.lines[i].line}, {"why", "the pass has no neutral point at the fitted parameters"}});
  j["lines_refused"] = refused;
  j["iterations"] = c.iterations;
  j["converged"] = c.converged;
  j["termination"] = c.termination;
  j["force_error"] = {{"before", statsJson(c.forceBefore)}, {"after", statsJson(c.forceAfter)}};
  if (c.slipAfter.count > 0) j["slip_error"] = {{"before", statsJson(c.slipBefore)}, {"after", statsJson(c.slipAfter)}};
  // A refusal quotes the log's own bytes, which need not be UTF-8: they
  // become U+FFFD, as in the batch tool's JSON, rather than losing the summary.
  return j.dump(2, ' ', false, ordered_json::error_handler_t::replace) + "\n";
}

std::string residualsCsv(const Log& log, const Calibration& c) {
  std::string out = "line,FORCE_MEASURED,FORCE_COMPUTED,FORCE_ERROR,FORWARD_SLIP_MEASURED,FORWARD_SLIP_COMPUTED,"
                    "FORWARD_SLIP_ERROR,U,Y_FACTOR\n";
  for (std::size_t i = 0; i < log.lines.size(); ++i) {
    const LogLine& l = log.lines[i];
    const LineResult& r = c.after[i];
    const bool slip = !std::isnan(l.slip);
    out += std::to_string(l.line) + "," + shortest(l.force) + "," + shortest(r.force) + "," + shortest(r.forceMiss) + "," +
           (slip ? shortest(l.slip) : "") + "," + (slip ? shortest(r.slip) : "") + "," + shortest(r.slipMiss) + "," +
           shortest(r.U) + "," + shortest(r.factor) + "\n";
  }
  return out;
}

std::string paritySvg(const Log& log, const Calibration& c) {
  Scatter s{"Rolling force: computed with the fitted laws against measured", "measured force (t/m)",
            "computed force (t/m)", {}, {}, true, false};
  for (std::size_t i = 0; i < log.lines.size(); ++i) s.x.push_back(log.lines[i].force), s.y.push_back(c.after[i].force);
  return scatterSvg(s);
}

std::string missesAgainstSvg(const Log& log, const Calibration& c, int column) {
  const std::string name = log.numberNames[std::size_t(column)];
  Scatter s{"Relative miss of the force after the fit against " + name, name, "(computed - measured) / measured",
            {}, {}, false, true, "miss-" + std::to_string(column)};
  for (std::size_t i = 0; i < log.lines.size(); ++i)
    s.x.push_back(log.lines[i].numbers[std::size_t(column)]), s.y.push_back(c.after[i].forceMiss);
  return scatterSvg(s);
}

std::string histogramSvg(const Calibration& c) {
  std::vector<double> m;
  for (const LineResult& r : c.after) m.push_back(r.forceMiss);
  return histogramOf(m);
}

std::string reportHtml(const Model& model, const Log& log, const Calibration& c, const std::string& commandLine) {
  std::string h = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
                  "<title>Calibration of " + escaped(log.name) + "</title>\n"
                  "<style>body{font-family:DejaVu Sans,Arial,sans-serif;margin:2em;max-width:64em}"
                  "table{border-collapse:collapse}td,th{border:1px solid #bbb;padding:.2em .6em;text-align:right}"
                  "th{background:#eee}svg{max-width:100%;height:auto;display:block;margin:1em 0}</style>\n"
                  "</head>\n<body>\n<h1>Calibration of " + escaped(log.name) + "</h1>\n<p><code>" +
                  escaped(commandLine) + "</code></p>\n<h2>Parameters</h2>\n<table>\n<tr><th>parameter</th><th>value</th>"
                  "<th>standard error</th></tr>\n";
  for (std::size_t i = 0; i < c.names.size(); ++i)
    h += "<tr><td>" + escaped(c.names[i]) + "</td><td>" + shortest(c.values[i]) + "</td><td>" + shortest(c.stderrs[i]) + "</td></tr>\n";
  h += "</table>\n<p>" + std::to_string(log.lines.size() - std::size_t(c.failed)) + " lines used, " +
       std::to_string(log.refused.size()) + " refused. Force: RMS relative miss " + shortest(c.forceBefore.rms) +
       " before, " + shortest(c.forceAfter.rms) + " after the fit; largest " + shortest(c.forceAfter.largest) + ".</p>\n";
  if (!log.refused.empty()) {
    h += "<h2>Refused lines</h2>\n<ul>\n";
    for (const Refusal& r : log.refused) h += "<li>line " + std::to_string(r.line) + ": " + escaped(r.why) + "</li>\n";
    h += "</ul>\n";
  }
  (void)model;
  h += "<h2>Parity</h2>\n" + inlined(paritySvg(log, c));
  h += "<h2>Histogram</h2>\n" + inlined(histogramSvg(c));
  h += "<h2>Misses against the inputs</h2>\n";
  for (const int col : varyingColumns(log)) h += inlined(missesAgainstSvg(log, c, col));
  return h + "</body>\n</html>\n";
}

}  // namespace orowan::calibrate
