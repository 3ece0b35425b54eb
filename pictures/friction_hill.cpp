#include "pictures/friction_hill.h"

#include <algorithm>
#include <cmath>

#include "pictures/plot.h"

namespace orowan::pictures {
namespace {

constexpr double kWidth = 900, kRightMargin = 30;
constexpr double kPressureHeight = 290, kForceHeight = 190, kPanelGap = 52;
constexpr double kLabelFont = 12, kLabelHeight = 15;

const LineStyle kExitStyle{"#0072B2", 2, ""};
const LineStyle kEntryStyle{"#D55E00", 2, "7 4"};
// The strip's pressure (each march up to the neutral point) stands out;
// each march continued past the neutral point, which the strip does not
// feel, is drawn thin and light in its colour and dash.
const LineStyle kExitStrip{"#0072B2", 3, ""};
const LineStyle kEntryStrip{"#D55E00", 3, "7 4"};
const LineStyle kExitFaint{"#9ac4e2", 1.2, ""};
const LineStyle kEntryFaint{"#eeb28c", 1.2, "7 4"};
const LineStyle kRkStyle{"#555555", 1.5, "10 3 2 3"};

enum class Quantity { pressure, force };

const std::vector<double>& valuesOf(const MarchSteps& march, Quantity q) {
  return q == Quantity::pressure ? march.P : march.F;
}

// A text of one or more lines placed in a box, drawn from its left edge.
struct Label {
  Box box;
  std::vector<std::string> lines;
};

// One panel worked out in pixels: what it draws and what a legend must avoid.
struct PanelPlan {
  Frame frame;
  std::vector<Polyline> exit, entry, rk, exitStick, entryStick;
  std::vector<Polyline> exitStrip, entryStrip;  // each march's part the strip feels
  std::optional<Point> marker;
  std::optional<Label> markerLabel, rkLabel;
  Obstacles obstacles;
};

// The whole picture's geometry.
struct Layout {
  double width = kWidth, height = 0, yTitleX = 24;
  std::vector<std::string> titleLines, subtitleLines;
  double subtitleY = 0, noteY = 0, planeY = 0;  // subtitleY: of its first line
  PanelPlan pressure, force;
  std::optional<Box> pressureLegend, forceLegend;
};

Extent xExtent(const FrictionHill& hill) {
  Extent e;
  for (const MarchSteps* m : {&hill.exitMarch, &hill.entryMarch}) {
    for (double x : m->X) e.add(x);
  }
  if (hill.neutral) e.add(hill.neutral->X);
  if (std::isfinite(hill.contactLength)) {
    e.add(0);
    e.add(hill.contactLength);
  }
  return e;
}

// Values of one panel's curves (with RK and the neutral point), taken only
// at steps that also have an X, as drawn.
Extent valueExtent(const FrictionHill& hill, Quantity q) {
  Extent e;
  for (const MarchSteps* m : {&hill.exitMarch, &hill.entryMarch}) {
    const std::vector<double>& v = valuesOf(*m, q);
    for (std::size_t i = 0; i < v.size() && i < m->X.size(); ++i) {
      if (std::isfinite(m->X[i])) e.add(v[i]);
    }
    for (std::size_t i = 0; q == Quantity::pressure && i < m->RK.size() && i < m->X.size(); ++i) {
      if (std::isfinite(m->X[i])) e.add(m->RK[i]);
    }
  }
  if (hill.neutral) e.add(q == Quantity::pressure ? hill.neutral->P : hill.neutral->F);
  return e;
}

// Whether step X of a march lies on the strip's side of the neutral
// point: the exit march from the exit plane up to XN, the entry march
// from the entry plane down to it. Without a neutral point neither march
// is the strip's pressure.
bool feltAt(const FrictionHill& hill, bool exitMarch, double x) {
  if (!hill.neutral || !std::isfinite(hill.neutral->X)) return false;
  return exitMarch ? x <= hill.neutral->X : x >= hill.neutral->X;
}

// The part of a march the strip feels, ending at the neutral point itself
// (so that the two parts meet there), as pixel runs.
std::vector<Polyline> stripRuns(const Frame& f, const FrictionHill& hill, bool exitMarch, Quantity q) {
  const MarchSteps& m = exitMarch ? hill.exitMarch : hill.entryMarch;
  const std::vector<double>& v = valuesOf(m, q);
  std::vector<double> xs, vs;
  for (std::size_t i = 0; i < m.X.size() && i < v.size() && feltAt(hill, exitMarch, m.X[i]); ++i) {
    xs.push_back(m.X[i]);
    vs.push_back(v[i]);
  }
  if (xs.empty()) return {};
  const double end = q == Quantity::pressure ? hill.neutral->P : hill.neutral->F;
  if (std::isfinite(end)) xs.push_back(hill.neutral->X), vs.push_back(end);
  return pixelRuns(f, xs, vs, xs.size());
}

// Runs over the sticking stretches the strip feels: a sticking step i
// covers X[i] to X[i+1] (cut at the neutral point).
std::vector<Polyline> stickRuns(const Frame& f, const FrictionHill& hill, bool exitMarch) {
  const MarchSteps& march = exitMarch ? hill.exitMarch : hill.entryMarch;
  std::vector<Polyline> runs;
  std::size_t n = std::min({march.X.size(), march.P.size(), march.SL_ST.size()});
  for (std::size_t i = 0; i < n;) {
    if (march.SL_ST[i] != 2 || !feltAt(hill, exitMarch, march.X[i])) {
      ++i;
      continue;
    }
    std::size_t j = i;
    while (j + 1 < n && march.SL_ST[j + 1] == 2 && feltAt(hill, exitMarch, march.X[j + 1])) ++j;
    std::size_t last = std::min(j + 1, std::min(march.X.size(), march.P.size()) - 1);
    std::vector<double> xs(march.X.begin() + i, march.X.begin() + last + 1);
    std::vector<double> ps(march.P.begin() + i, march.P.begin() + last + 1);
    if (!feltAt(hill, exitMarch, xs.back())) xs.back() = hill.neutral->X, ps.back() = hill.neutral->P;
    addRuns(runs, pixelRuns(f, xs, ps, xs.size()));
    i = j + 1;
  }
  return runs;
}

// The RK curve from the exit march (from the entry march when the exit
// march has none): a line across the panel when every value is the same.
std::vector<Polyline> rkRuns(const Frame& f, const FrictionHill& hill) {
  const MarchSteps& m = hill.exitMarch.RK.empty() ? hill.entryMarch : hill.exitMarch;
  std::size_t n = std::min(m.X.size(), m.RK.size());
  Extent values;
  for (std::size_t i = 0; i < n; ++i) {
    if (std::isfinite(m.X[i])) values.add(m.RK[i]);
  }
  if (values.empty()) return {};
  if (values.min != values.max) return pixelRuns(f, m.X, m.RK, n);
  double y = f.y.toPixel(values.min);
  return {{{f.area.x0, y}, {f.area.x1, y}}};
}

// Pixel y of a polyline at pixel x (by the segment that spans x), if any.
std::optional<double> heightAt(const std::vector<Polyline>& runs, double x) {
  for (const Polyline& run : runs) {
    for (std::size_t i = 1; i < run.size(); ++i) {
      Point a = run[i - 1], b = run[i];
      if (a.x > b.x) std::swap(a, b);
      if (x < a.x || x > b.x) continue;
      return b.x == a.x ? a.y : a.y + (b.y - a.y) * (x - a.x) / (b.x - a.x);
    }
  }
  return std::nullopt;
}

// The label "RK" next to its line, at the first place along it that is free.
std::optional<Label> placeRkLabel(const PanelPlan& plan) {
  if (plan.rk.empty()) return std::nullopt;
  double w = textWidth("RK", kLabelFont) + 2;
  const Box& area = plan.frame.area;
  std::vector<Box> candidates;
  for (double f : {0.5, 0.35, 0.65, 0.2, 0.8, 0.06, 0.94}) {
    double x = area.x0 + f * area.width();
    auto y = heightAt(plan.rk, x);
    if (!y) continue;
    candidates.push_back(boxAt(x - w / 2, *y - 4 - kLabelHeight, w, kLabelHeight));
    candidates.push_back(boxAt(x - w / 2, *y + 4, w, kLabelHeight));
  }
  if (candidates.empty()) return std::nullopt;
  auto box = firstFree(candidates, plan.obstacles, area, 1);
  return Label{box ? *box : leastCovering(candidates, plan.obstacles, area), {"RK"}};
}

// Boxes of size w x h around p: below or above it, clear of the vertical
// neutral line, or to a side.
void addLabelCandidates(std::vector<Box>& to, Point p, double w, double h) {
  for (double gap = 8; gap < 80; gap += 14) {
    for (double x : {p.x + 5, p.x - 5 - w, p.x - w / 2}) {
      to.push_back(boxAt(x, p.y + gap, w, h));
      to.push_back(boxAt(x, p.y - gap - h, w, h));
    }
    to.push_back(boxAt(p.x + gap, p.y - h / 2, w, h));
    to.push_back(boxAt(p.x - gap - w, p.y - h / 2, w, h));
  }
}

// The neutral point's label "XN ..., P ..." on one line or on two; the
// free place nearest the marker wins (two lines only when nearer by 10 px).
Label placeMarkerLabel(const PanelPlan& plan, const std::vector<std::string>& parts) {
  std::string oneLine = parts[0] + ", " + parts[1];
  double w1 = textWidth(oneLine, kLabelFont) + 2;
  double w2 = std::max(textWidth(parts[0], kLabelFont), textWidth(parts[1], kLabelFont)) + 2;
  Point p = *plan.marker;
  std::vector<Box> candidates;
  addLabelCandidates(candidates, p, w1, kLabelHeight);
  std::size_t single = candidates.size();
  addLabelCandidates(candidates, p, w2, 2 * kLabelHeight);
  auto distance = [&](const Box& b) {
    double d = std::hypot((b.x0 + b.x1) / 2 - p.x, (b.y0 + b.y1) / 2 - p.y);
    return b.height() > kLabelHeight ? d + 10 : d;
  };
  std::vector<Box> sorted = candidates;
  std::stable_sort(sorted.begin(), sorted.end(),
                   [&](const Box& a, const Box& b) { return distance(a) < distance(b); });
  auto free = firstFree(sorted, plan.obstacles, plan.frame.area, 2);
  Box box = free ? *free
                 : leastCovering({candidates.begin(), candidates.begin() + single}, plan.obstacles,
                                 plan.frame.area);
  if (box.height() > kLabelHeight) return {box, parts};
  return {box, {oneLine}};
}

std::vector<std::string> markerText(const FrictionHill& hill, Quantity q) {
  const NeutralPoint& n = *hill.neutral;
  std::string x = "XN " + valueText(n.X) + " " + hill.units.length;
  if (q == Quantity::pressure) return {x, "P " + valueText(n.P) + " " + hill.units.pressure};
  return {x, "F " + valueText(n.F) + " " + hill.units.force};
}

void addNeutralMarker(PanelPlan& plan, const FrictionHill& hill, Quantity q) {
  const Frame& f = plan.frame;
  double value = q == Quantity::pressure ? hill.neutral->P : hill.neutral->F;
  if (!std::isfinite(hill.neutral->X) || !std::isfinite(value)) return;
  plan.marker = Point{f.x.toPixel(hill.neutral->X), f.y.toPixel(value)};
  plan.obstacles.lines.push_back({{plan.marker->x, f.area.y0}, {plan.marker->x, f.area.y1}});
  plan.obstacles.boxes.push_back(boxAt(plan.marker->x - 6, plan.marker->y - 6, 12, 12));
  plan.markerLabel = placeMarkerLabel(plan, markerText(hill, q));
  plan.obstacles.boxes.push_back(plan.markerLabel->box);
}

// Everything one panel draws, for a given frame.
PanelPlan planPanel(const Frame& frame, const FrictionHill& hill, Quantity q) {
  PanelPlan plan;
  plan.frame = frame;
  const MarchSteps& ex = hill.exitMarch;
  const MarchSteps& en = hill.entryMarch;
  plan.exit = pixelRuns(frame, ex.X, valuesOf(ex, q), ex.X.size());
  plan.entry = pixelRuns(frame, en.X, valuesOf(en, q), en.X.size());
  addRuns(plan.obstacles.lines, plan.exit);
  addRuns(plan.obstacles.lines, plan.entry);
  plan.exitStrip = stripRuns(frame, hill, true, q);
  plan.entryStrip = stripRuns(frame, hill, false, q);
  if (q == Quantity::pressure) {
    plan.exitStick = stickRuns(frame, hill, true);
    plan.entryStick = stickRuns(frame, hill, false);
    plan.rk = rkRuns(frame, hill);
    addRuns(plan.obstacles.lines, plan.rk);
  }
  if (hill.neutral) addNeutralMarker(plan, hill, q);
  if (q == Quantity::pressure) {
    plan.rkLabel = placeRkLabel(plan);
    if (plan.rkLabel) plan.obstacles.boxes.push_back(plan.rkLabel->box);
  }
  return plan;
}

bool anyFinite(const std::vector<double>& values) {
  return std::any_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); });
}

// Whether the strip sticks anywhere it feels a march.
bool anySticks(const FrictionHill& hill) {
  for (const bool exitMarch : {true, false}) {
    const MarchSteps& m = exitMarch ? hill.exitMarch : hill.entryMarch;
    for (std::size_t i = 0; i < m.SL_ST.size() && i < m.X.size(); ++i) {
      if (m.SL_ST[i] == 2 && feltAt(hill, exitMarch, m.X[i])) return true;
    }
  }
  return false;
}

bool hasNeutral(const FrictionHill& hill) { return hill.neutral && std::isfinite(hill.neutral->X); }

LegendEntry lineEntry(const std::string& text, const std::string& cls, const LineStyle& style) {
  LegendEntry e;
  e.text = text;
  e.cls = cls;
  e.line = style;
  return e;
}

std::vector<LegendEntry> legendEntries(const FrictionHill& hill, Quantity q) {
  std::vector<LegendEntry> entries = {lineEntry("exit march", "exit", kExitStyle),
                                      lineEntry("entry march", "entry", kEntryStyle)};
  if (hasNeutral(hill)) {
    entries = {lineEntry("exit march, exit plane to XN", "strip exit", kExitStrip),
               lineEntry("entry march, XN to entry plane", "strip entry", kEntryStrip),
               lineEntry("exit march past XN (not felt)", "exit", kExitFaint),
               lineEntry("entry march past XN (not felt)", "entry", kEntryFaint)};
  }
  if (q == Quantity::force) return entries;
  if (anyFinite(hill.exitMarch.RK) || anyFinite(hill.entryMarch.RK)) {
    entries.push_back(lineEntry("RK yield stress", "rk", kRkStyle));
  }
  if (anySticks(hill)) {
    entries.push_back(lineEntry("strip sticks (SL/ST 2)", "stick", {"#000000", 1, ""}));
    entries.back().halo = true;
  }
  if (hill.neutral && std::isfinite(hill.neutral->X) && std::isfinite(hill.neutral->P)) {
    entries.push_back(lineEntry("neutral point", "neutral-point", {"#000000", 0, ""}));
    entries.back().marker = MarkerShape::ring;
    entries.back().markerColour = "#000000";
  }
  return entries;
}

// Plans a panel with its legend: inside if room can be found (adding
// headroom ticks if need be), else outside to the right.
void planWithLegend(PanelPlan& plan, std::optional<Box>& legend, const Frame& frame,
                    const FrictionHill& hill, Quantity q) {
  Box size = legendSize(legendEntries(hill, q));
  LegendPlace place =
      placeLegend(frame, size, [&](const Frame& f) { return planPanel(f, hill, q).obstacles; });
  Frame f = frame;
  f.y = extendedTop(frame.y, place.extraSteps);
  fitAxes(f);
  plan = planPanel(f, hill, q);
  legend = place.box
               ? place.box
               : std::optional<Box>(boxAt(f.area.x1 + 14, f.area.y0, size.width(), size.height()));
}

// The title, saying so when the pass has no neutral point.
std::string titleOf(const FrictionHill& hill) {
  return hill.neutral ? hill.title : "No neutral point: " + hill.title;
}

std::string axisTitle(const std::string& name, const std::string& unit) {
  return unit.empty() ? name : name + " (" + unit + ")";
}

// Header lines from the top: title, subtitle, note, plane marks; returns
// the y where the top panel starts.
double layoutHeader(Layout& layout, const FrictionHill& hill) {
  double y = layoutTitles(titleOf(hill), hill.subtitle, kWidth, layout.titleLines,
                         layout.subtitleLines, layout.subtitleY);
  if (!hill.neutral) layout.noteY = y += 20;
  if (std::isfinite(hill.contactLength)) layout.planeY = y += 22;
  return y + 10;
}

Layout layoutHill(const FrictionHill& hill) {
  Layout layout;
  double top = layoutHeader(layout, hill);
  Axis x = readableXAxis(xExtent(hill), 10, kWidth - 120);
  Axis p = linearAxis(valueExtent(hill, Quantity::pressure), 8);
  Axis f = linearAxis(valueExtent(hill, Quantity::force), 6);
  double left = std::max(72.0, 44 + std::max(widestTickLabel(p), widestTickLabel(f)));
  double right = kWidth - std::max(kRightMargin, lastLabelOverhang(x));
  Frame pf{
      {left, top, right, top + kPressureHeight}, x, p, "", axisTitle("P", hill.units.pressure)};
  double forceTop = pf.area.y1 + kPanelGap;
  Frame ff{{left, forceTop, right, forceTop + kForceHeight},
           x,
           f,
           axisTitle("X from the exit plane", hill.units.length),
           axisTitle("F", hill.units.force) + ", compression positive"};
  fitAxes(pf);
  fitAxes(ff);
  planWithLegend(layout.pressure, layout.pressureLegend, pf, hill, Quantity::pressure);
  planWithLegend(layout.force, layout.forceLegend, ff, hill, Quantity::force);
  for (const auto& legend : {layout.pressureLegend, layout.forceLegend}) {
    layout.width = std::max(layout.width, legend->x1 + 10);
  }
  layout.height = ff.area.y1 + 56;
  return layout;
}

void drawLabel(SvgWriter& svg, const Label& label, const std::string& cls) {
  std::string x = num(label.box.x0 + 1);
  Attr size{"font-size", num(kLabelFont)};
  if (label.lines.size() == 1) {
    svg.text("text", {{"class", cls}, {"x", x}, {"y", num(label.box.y1 - 3.5)}, size},
             label.lines[0]);
    return;
  }
  svg.open("text", {{"class", cls}, {"x", x}, {"y", num(label.box.y0 + kLabelHeight - 3.5)}, size});
  for (std::size_t i = 0; i < label.lines.size(); ++i) {
    svg.text("tspan", {{"x", x}, {"dy", i == 0 ? "0" : num(kLabelHeight)}}, label.lines[i]);
  }
  svg.close();
}

void drawStick(SvgWriter& svg, const std::vector<Polyline>& runs, const std::string& cls,
               const LineStyle& style) {
  if (runs.empty()) return;
  svg.leaf("path", {{"class", cls},
                    {"d", pathData(runs)},
                    {"fill", "none"},
                    {"stroke", style.colour},
                    {"stroke-opacity", "0.3"},
                    {"stroke-width", "9"},
                    {"stroke-linejoin", "round"}});
}

void drawNeutral(SvgWriter& svg, const PanelPlan& plan) {
  if (!plan.marker) return;
  const Box& a = plan.frame.area;
  Point p = *plan.marker;
  svg.leaf("line", {{"class", "neutral-line"},
                    {"x1", num(p.x)},
                    {"y1", num(a.y0)},
                    {"x2", num(p.x)},
                    {"y2", num(a.y1)},
                    {"stroke", "#7a7a7a"},
                    {"stroke-dasharray", "2 3"}});
}

void drawNeutralMarker(SvgWriter& svg, const PanelPlan& plan) {
  if (!plan.marker) return;
  svg.leaf("circle", {{"class", "neutral"},
                      {"cx", num(plan.marker->x)},
                      {"cy", num(plan.marker->y)},
                      {"r", "5"},
                      {"fill", "#ffffff"},
                      {"stroke", "#000000"},
                      {"stroke-width", "2"}});
  drawLabel(svg, *plan.markerLabel, "neutral-label");
}

void drawPanel(SvgWriter& svg, const Layout& layout, const PanelPlan& plan, const Box& legend,
               const std::vector<LegendEntry>& entries, const std::string& cls) {
  svg.open("g", {{"class", "panel " + cls}});
  drawBackground(svg, plan.frame);
  drawNeutral(svg, plan);
  drawStick(svg, plan.exitStick, "stick exit", kExitStyle);
  drawStick(svg, plan.entryStick, "stick entry", kEntryStyle);
  if (!plan.rk.empty()) drawCurve(svg, plan.rk, "curve rk", kRkStyle);
  if (plan.rkLabel) drawLabel(svg, *plan.rkLabel, "rk-label");
  const bool split = !plan.exitStrip.empty() || !plan.entryStrip.empty();
  drawCurve(svg, plan.exit, "curve exit", split ? kExitFaint : kExitStyle);
  drawCurve(svg, plan.entry, "curve entry", split ? kEntryFaint : kEntryStyle);
  if (!plan.exitStrip.empty()) drawCurve(svg, plan.exitStrip, "strip exit", kExitStrip);
  if (!plan.entryStrip.empty()) drawCurve(svg, plan.entryStrip, "strip entry", kEntryStrip);
  drawNeutralMarker(svg, plan);
  drawAxes(svg, plan.frame, layout.yTitleX);
  drawLegend(svg, legend, entries);
  svg.close();
}

// Marks of the exit plane (X 0) and the entry plane (X = XL) above the plot.
void drawPlanes(SvgWriter& svg, const Layout& layout, const FrictionHill& hill) {
  if (layout.planeY == 0) return;
  const Frame& f = layout.pressure.frame;
  double x0 = f.x.toPixel(0), xl = f.x.toPixel(hill.contactLength);
  std::string exitText = "exit plane";
  std::string entryText =
      "entry plane, XL " + valueText(hill.contactLength) + " " + hill.units.length;
  bool apart = x0 + textWidth(exitText, kLabelFont) + 16 < xl - textWidth(entryText, kLabelFont);
  for (double x : {x0, xl}) {
    svg.leaf("line", {{"class", "plane"},
                      {"x1", num(x)},
                      {"y1", num(f.area.y0 - 7)},
                      {"x2", num(x)},
                      {"y2", num(f.area.y0)},
                      {"stroke", "#404040"}});
  }
  Attr size{"font-size", num(kLabelFont)};
  if (!apart) exitText += ", " + entryText;
  svg.text("text", {{"class", "plane"}, {"x", num(x0)}, {"y", num(layout.planeY)}, size}, exitText);
  if (apart) {
    svg.text("text",
             {{"class", "plane"},
              {"x", num(xl)},
              {"y", num(layout.planeY)},
              {"text-anchor", "end"},
              size},
             entryText);
  }
}

void drawHeader(SvgWriter& svg, const Layout& layout, const FrictionHill& hill) {
  drawTitles(svg, layout.width, layout.titleLines, layout.subtitleLines, layout.subtitleY);
  if (layout.noteY > 0) {
    svg.text("text",
             {{"class", "note"},
              {"x", num(layout.width / 2)},
              {"y", num(layout.noteY)},
              {"text-anchor", "middle"},
              {"font-weight", "bold"},
              {"fill", "#a00000"}},
             "No neutral point: the force curves do not meet");
  }
  drawPlanes(svg, layout, hill);
}

}  // namespace

std::string frictionHillSvg(const FrictionHill& hill, Embedding embedding) {
  Layout layout = layoutHill(hill);
  SvgWriter svg;
  openSvg(svg, layout.width, layout.height, "friction-hill", embedding == Embedding::standalone);
  svg.text("title", {}, titleOf(hill));
  svg.leaf("rect", {{"class", "background"},
                    {"width", num(layout.width)},
                    {"height", num(layout.height)},
                    {"fill", "#ffffff"}});
  drawHeader(svg, layout, hill);
  drawPanel(svg, layout, layout.pressure, *layout.pressureLegend,
            legendEntries(hill, Quantity::pressure), "pressure");
  drawPanel(svg, layout, layout.force, *layout.forceLegend, legendEntries(hill, Quantity::force),
            "force");
  return svg.take();
}

}  // namespace orowan::pictures
