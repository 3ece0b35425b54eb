#include "pictures/chart.h"

#include <algorithm>
#include <cmath>

#include "pictures/plot.h"

namespace orowan::pictures {
namespace {

constexpr double kWidth = 800, kHeight = 500, kRightMargin = 24, kBottomMargin = 58;
constexpr std::size_t kAllMarkers = 40, kMarkersWhenMany = 20;

const char* const kColours[] = {"#0072B2", "#D55E00", "#009E73", "#CC79A7",
                                "#E69F00", "#56B4E9", "#000000", "#8C564B"};
const char* const kDashes[] = {"", "7 4", "2 3", "10 3 2 3", "12 5", "4 2 4 6", "1 2", "8 2 2 2"};
const MarkerShape kMarkers[] = {
    MarkerShape::circle,       MarkerShape::square, MarkerShape::triangle, MarkerShape::diamond,
    MarkerShape::triangleDown, MarkerShape::cross,  MarkerShape::plus,     MarkerShape::star};

LineStyle styleOf(std::size_t i) { return {kColours[i % 8], 2, kDashes[i % 8]}; }

std::string seriesClass(std::size_t i) { return "s" + std::to_string(i); }

// What the chart draws, worked out in pixels.
struct ChartPlan {
  Frame frame;
  std::vector<std::vector<Polyline>> curves;  // per series
  std::vector<std::vector<Point>> markers;    // per series
  Obstacles obstacles;
};

struct ChartLayout {
  double width = kWidth;
  std::vector<std::string> titleLines, subtitleLines;
  double subtitleY = 0;  // of the first subtitle line
  ChartPlan plan;
  Box legend;
  bool empty = true;
};

bool drawable(ScaleKind kind, double v) {
  return std::isfinite(v) && (kind == ScaleKind::linear || v > 0);
}

// Extents of the drawable points on both axes.
std::pair<Extent, Extent> extents(const Chart& chart) {
  Extent ex, ey;
  for (const Series& s : chart.series) {
    for (std::size_t i = 0; i < s.x.size() && i < s.y.size(); ++i) {
      if (!drawable(chart.xScale, s.x[i]) || !drawable(chart.yScale, s.y[i])) continue;
      ex.add(s.x[i]);
      ey.add(s.y[i]);
    }
  }
  return {ex, ey};
}

Axis axisFor(ScaleKind kind, const Extent& e, int intervals) {
  return kind == ScaleKind::logarithmic ? logAxis(e) : linearAxis(e, intervals);
}

// Marker positions: every point of a short run of points, else about
// twenty spread evenly over all of them.
std::vector<Point> markerPoints(const std::vector<Polyline>& runs) {
  std::size_t total = 0;
  for (const Polyline& run : runs) total += run.size();
  std::size_t every = total <= kAllMarkers ? 1 : (total + kMarkersWhenMany - 1) / kMarkersWhenMany;
  std::vector<Point> points;
  std::size_t k = 0;
  for (const Polyline& run : runs) {
    for (const Point& p : run) {
      if (k++ % every == 0) points.push_back(p);
    }
  }
  return points;
}

ChartPlan planChart(const Frame& frame, const Chart& chart) {
  ChartPlan plan;
  plan.frame = frame;
  for (const Series& s : chart.series) {
    plan.curves.push_back(pixelRuns(frame, s.x, s.y, std::min(s.x.size(), s.y.size())));
    plan.markers.push_back(markerPoints(plan.curves.back()));
    addRuns(plan.obstacles.lines, plan.curves.back());
    for (const Point& p : plan.markers.back())
      plan.obstacles.boxes.push_back(boxAt(p.x - 6, p.y - 6, 12, 12));
  }
  return plan;
}

std::vector<LegendEntry> legendEntries(const Chart& chart) {
  std::vector<LegendEntry> entries;
  for (std::size_t i = 0; i < chart.series.size(); ++i) {
    LegendEntry e;
    e.text = chart.series[i].name;
    e.cls = seriesClass(i);
    e.line = styleOf(i);
    e.marker = kMarkers[i % 8];
    e.markerColour = kColours[i % 8];
    entries.push_back(e);
  }
  return entries;
}

std::string axisTitle(const std::string& name, const std::string& unit) {
  return unit.empty() ? name : name + " (" + unit + ")";
}

ChartLayout layoutChart(const Chart& chart) {
  ChartLayout layout;
  double y = layoutTitles(chart.title, chart.subtitle, kWidth, layout.titleLines,
                         layout.subtitleLines, layout.subtitleY);
  auto [ex, ey] = extents(chart);
  layout.empty = ex.empty();
  Frame frame;
  frame.x =
      chart.xScale == ScaleKind::logarithmic ? logAxis(ex) : readableXAxis(ex, 10, kWidth - 120);
  frame.y = axisFor(chart.yScale, ey, 8);
  double left = std::max(72.0, 44 + widestTickLabel(frame.y));
  double right = kWidth - std::max(kRightMargin, lastLabelOverhang(frame.x));
  frame.area = {left, y + 18, right, kHeight - kBottomMargin};
  frame.xTitle = axisTitle(chart.xName, chart.xUnit);
  frame.yTitle = axisTitle(chart.yName, chart.yUnit);
  fitAxes(frame);
  Box size = legendSize(legendEntries(chart));
  LegendPlace place =
      placeLegend(frame, size, [&](const Frame& f) { return planChart(f, chart).obstacles; });
  frame.y = extendedTop(frame.y, place.extraSteps);
  fitAxes(frame);
  layout.plan = planChart(frame, chart);
  layout.legend = place.box ? *place.box
                            : boxAt(frame.area.x1 + 14, frame.area.y0, size.width(), size.height());
  layout.width = std::max(kWidth, layout.legend.x1 + 10);
  return layout;
}

void drawHeader(SvgWriter& svg, const ChartLayout& layout) {
  drawTitles(svg, layout.width, layout.titleLines, layout.subtitleLines, layout.subtitleY);
}

void drawSeries(SvgWriter& svg, const ChartPlan& plan) {
  for (std::size_t i = 0; i < plan.curves.size(); ++i) {
    drawCurve(svg, plan.curves[i], "curve " + seriesClass(i), styleOf(i));
    for (const Point& p : plan.markers[i]) {
      drawMarker(svg, p, kMarkers[i % 8], kColours[i % 8], "marker " + seriesClass(i));
    }
  }
}

void drawEmptyNote(SvgWriter& svg, const Frame& f) {
  svg.text("text",
           {{"class", "note"},
            {"x", num((f.area.x0 + f.area.x1) / 2)},
            {"y", num((f.area.y0 + f.area.y1) / 2)},
            {"text-anchor", "middle"},
            {"font-weight", "bold"}},
           "No values to draw");
}

}  // namespace

std::string chartSvg(const Chart& chart, Embedding embedding) {
  ChartLayout layout = layoutChart(chart);
  SvgWriter svg;
  openSvg(svg, layout.width, kHeight, "chart", embedding == Embedding::standalone);
  svg.text("title", {}, chart.title);
  svg.leaf("rect", {{"class", "background"},
                    {"width", num(layout.width)},
                    {"height", num(kHeight)},
                    {"fill", "#ffffff"}});
  drawHeader(svg, layout);
  svg.open("g", {{"class", "panel"}});
  drawBackground(svg, layout.plan.frame);
  drawSeries(svg, layout.plan);
  if (layout.empty) drawEmptyNote(svg, layout.plan.frame);
  drawAxes(svg, layout.plan.frame, 24);
  if (!chart.series.empty()) drawLegend(svg, layout.legend, legendEntries(chart));
  svg.close();
  return svg.take();
}

}  // namespace orowan::pictures
