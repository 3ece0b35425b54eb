// The set-up's page: a section per coil with its schedule chart, its
// lines as a table and each pass's friction hill.
#include "setup/html.h"

#include <algorithm>
#include <cmath>
#include <sstream>

#include "pictures/report.h"
#include "pictures/svg_writer.h"
#include "setup/units.h"

namespace orowan::setup {
namespace {

namespace pics = orowan::pictures;
using pics::num;

constexpr double kPanelWidth = 230, kTop = 56, kPlotTop = 40, kPlotBottom = 246;
constexpr double kPlotLeft = 52, kPlotRight = 214;

// One panel: a value a pass, the stand's limit a pass (NaN: none).
struct Panel {
  std::string title, unit;
  std::vector<double> values, limits;
  bool bars = true;  // the thickness panel is a line
};

// A round top for the axis (1, 2, 2.5 or 5 times a power of ten) and the
// number of intervals that gives round ticks.
double niceTop(double v, int& intervals) {
  intervals = 4;
  if (!(v > 0)) return 1;
  const double p = std::pow(10.0, std::floor(std::log10(v)));
  for (double m : {1.0, 2.0, 2.5, 5.0, 10.0}) {
    if (m * p < v) continue;
    if (m == 2.5 || m == 5.0) intervals = 5;
    return m * p;
  }
  return 10 * p;
}

std::string tickText(double v) {
  std::ostringstream s;
  s << v;
  return s.str();
}

void drawPanel(pics::SvgWriter& svg, const Panel& p, double x0) {
  double top = 0;
  for (std::size_t i = 0; i < p.values.size(); ++i) {
    if (std::isfinite(p.values[i])) top = std::max(top, p.values[i]);
    if (std::isfinite(p.limits[i])) top = std::max(top, p.limits[i]);
  }
  int intervals = 4;
  top = niceTop(top * 1.12, intervals);
  const auto y = [&](double v) { return kTop + kPlotBottom - (kPlotBottom - kPlotTop) * v / top; };
  const double left = x0 + kPlotLeft, right = x0 + kPlotRight;
  svg.open("g", {{"class", "panel"}});
  svg.text("text", {{"class", "panel-title"}, {"x", num(x0 + kPanelWidth / 2)}, {"y", num(kTop + 14)}}, p.title);
  svg.text("text", {{"class", "panel-unit"}, {"x", num(x0 + kPanelWidth / 2)}, {"y", num(kTop + 30)}}, p.unit);
  for (int k = 0; k <= intervals; ++k) {
    const double v = top * k / intervals, yy = y(v);
    svg.leaf("line", {{"class", "grid"}, {"x1", num(left)}, {"x2", num(right)}, {"y1", num(yy)}, {"y2", num(yy)}});
    svg.text("text", {{"class", "tick-y"}, {"x", num(left - 4)}, {"y", num(yy + 4)}}, tickText(v));
  }
  const std::size_t n = p.values.size();
  const double slot = (right - left) / double(std::max<std::size_t>(n, 1));
  std::string path;
  for (std::size_t i = 0; i < n; ++i) {
    const double cx = left + slot * (double(i) + 0.5);
    svg.text("text", {{"class", "tick-x"}, {"x", num(cx)}, {"y", num(kTop + kPlotBottom + 16)}}, std::to_string(i + 1));
    const double v = p.values[i], limit = p.limits[i];
    if (!std::isfinite(v)) {
      svg.text("text", {{"class", "missing"}, {"x", num(cx)}, {"y", num(y(0) - 6)}}, "none");
      continue;
    }
    const bool over = std::isfinite(limit) && v > limit;
    if (p.bars) {
      svg.leaf("rect", {{"class", over ? "bar over" : "bar"}, {"x", num(cx - slot * 0.32)}, {"y", num(y(v))},
                        {"width", num(slot * 0.64)}, {"height", num(y(0) - y(v))}});
    } else {
      path += (path.empty() ? "M" : " L") + num(cx) + " " + num(y(v));
      svg.leaf("circle", {{"class", "point"}, {"cx", num(cx)}, {"cy", num(y(v))}, {"r", "3.5"}});
    }
    if (std::isfinite(limit)) {
      svg.leaf("line", {{"class", over ? "limit crossed" : "limit"}, {"x1", num(cx - slot * 0.48)},
                        {"x2", num(cx + slot * 0.48)}, {"y1", num(y(limit))}, {"y2", num(y(limit))}});
    }
    if (over) {
      const std::string excess = "+" + tickText(std::round((v / limit - 1) * 1000) / 10) + "%";
      // Neighbours' labels alternate in height so that they never touch.
      svg.text("text", {{"class", "excess"}, {"x", num(cx)}, {"y", num(y(v) - 6 - 13 * double(i % 2))}}, excess);
    }
  }
  if (!path.empty()) svg.leaf("path", {{"class", "thickness"}, {"d", path}});
  svg.leaf("line", {{"class", "axis"}, {"x1", num(left)}, {"x2", num(right)}, {"y1", num(y(0))}, {"y2", num(y(0))}});
  svg.leaf("line", {{"class", "axis"}, {"x1", num(left)}, {"x2", num(left)}, {"y1", num(y(0))}, {"y2", num(y(top))}});
  svg.close();
}

std::vector<Panel> panels(const Mill& mill, const CoilResult& r, Units units) {
  const bool si = units == Units::si;
  Panel h{"thickness after the pass", "mm", {}, {}, false};
  Panel f{"force, whole width", si ? "kN" : "t", {}, {}};
  Panel t{"torque, both rolls", si ? "kN·m" : "t·m", {}, {}};
  Panel p{"power, both rolls", "kW", {}, {}};
  Panel v{"roll surface speed", "m/min", {}, {}};
  const auto opt = [](const std::optional<float>& l, double scale) { return l ? double(*l) * scale : NAN; };
  // Limits are in the file's units; the chart shows the output's.
  const double limitScale = mill.units == units ? 1.0 : units == Units::si ? kNewtonsPerKgf : 1 / kNewtonsPerKgf;
  for (const PassLine& l : r.setUp.lines) {
    const Stand& s = standOf(mill, l.pass - 1);
    h.values.push_back(l.H2), h.limits.push_back(NAN);
    f.values.push_back(toUnits(l.forceTotal, units)), f.limits.push_back(opt(s.maxForce, limitScale));
    t.values.push_back(toUnits(l.torqueTotal, units)), t.limits.push_back(opt(s.maxTorque, limitScale));
    p.values.push_back(l.powerTotal), p.limits.push_back(opt(s.maxPower, 1));
    v.values.push_back(l.ROLL_SPEED), v.limits.push_back(opt(s.maxRollSpeed, 1));
  }
  return {h, f, t, p, v};
}

const char* kStyle =
    "text{font-family:sans-serif;fill:#222}.title{font-size:17px;font-weight:bold}.panel-title{font-size:13px;"
    "text-anchor:middle;font-weight:bold}.panel-unit{font-size:12px;text-anchor:middle}.tick-y{font-size:11px;"
    "text-anchor:end}.tick-x{font-size:11px;text-anchor:middle}.grid{stroke:#ddd}.axis{stroke:#444}"
    ".bar{fill:#4a78b5}.bar.over{fill:#d62728}.limit{stroke:#222;stroke-width:2;stroke-dasharray:5 3}"
    ".limit.crossed{stroke:#000;stroke-width:3;stroke-dasharray:none}.excess{font-size:12px;font-weight:bold;"
    "fill:#d62728;text-anchor:middle}.thickness{fill:none;stroke:#4a78b5;stroke-width:2}.point{fill:#4a78b5}"
    ".missing{font-size:11px;text-anchor:middle;fill:#888}.legend{font-size:12px}.note{font-size:12px}";

}  // namespace

std::string scheduleChartSvg(const Mill& mill, const CoilResult& r, Units units) {
  const std::vector<Panel> ps = panels(mill, r, units);
  const double width = kPanelWidth * double(ps.size()) + 20, height = kTop + kPlotBottom + 44;
  pics::SvgWriter svg;
  svg.open("svg", {{"xmlns", "http://www.w3.org/2000/svg"}, {"class", "schedule-chart"}, {"width", num(width)},
                   {"height", num(height)}, {"viewBox", "0 0 " + num(width) + " " + num(height)}});
  svg.text("style", {}, kStyle);
  svg.leaf("rect", {{"x", "0"}, {"y", "0"}, {"width", num(width)}, {"height", num(height)}, {"fill", "white"}});
  const std::string kind = mill.kind == MillKind::tandem ? "stand" : "pass";
  svg.text("text", {{"class", "title"}, {"x", "12"}, {"y", "24"}},
           "Coil " + r.coil->name + ": " + numberText(r.coil->H_entry) + " → " + numberText(r.coil->H_exit) +
               " mm, each " + kind + " against its limits");
  svg.text("text", {{"class", "note"}, {"x", "12"}, {"y", "44"}},
           "bars: the " + kind + "'s load; dashed line: its limit; a red bar, a solid black limit line and +%: limit exceeded");
  for (std::size_t k = 0; k < ps.size(); ++k) drawPanel(svg, ps[k], 10 + kPanelWidth * double(k));
  svg.text("text", {{"class", "legend"}, {"x", num(width / 2)}, {"y", num(height - 8)}, {"text-anchor", "middle"}},
           mill.kind == MillKind::tandem ? "stand number, entry side first" : "pass number, in rolling order");
  return svg.take();
}

namespace {

pics::FrictionHill hillOf(const PassLine& l, Units units) {
  pics::FrictionHill hill;
  hill.title = "Pass " + std::to_string(l.pass) + ": R " + numberText(l.R) + " mm, H1 " + numberText(l.H1) +
               " → H2 " + numberText(l.H2) + " mm, U " + numberText(l.U);
  if (l.flattened) hill.subtitle = "flattened radius R′ " + numberText(l.R_FLAT) + " mm";
  const bool si = units == Units::si;
  hill.units.pressure = si ? "MPa" : "kgf/mm²";
  hill.units.force = si ? "kN/m" : "kgf/mm";
  const PassResult& r = *l.steps;
  const auto steps = [&](const March& m) {
    pics::MarchSteps s;
    for (int i = 0; i < m.steps; ++i) {
      s.X.push_back(m.step[i].X);
      s.P.push_back(toUnits(m.step[i].P, units));
      s.F.push_back(toUnits(m.step[i].F, units));
      s.RK.push_back(toUnits(m.step[i].RK, units));
      s.SL_ST.push_back(m.step[i].SL_ST);
    }
    return s;
  };
  hill.exitMarch = steps(r.exit);
  hill.entryMarch = steps(r.entry);
  if (r.outcome == Outcome::neutralPoint) hill.neutral = pics::NeutralPoint{r.XN, toUnits(r.NEUTRAL_P, units), toUnits(r.NEUTRAL_F, units)};
  hill.contactLength = r.XL;
  return hill;
}

std::string coilSection(const Mill& mill, const CoilResult& r, Units units) {
  std::string body = "<h2>Coil " + pics::escapeXml(r.coil->name) + "</h2>\n";
  const std::string problem = r.coil->problem.empty() ? r.setUp.problem : r.coil->problem;
  if (!problem.empty()) return body + "<p class=\"note\"><strong>No set-up: " + pics::escapeXml(problem) + "</strong></p>\n";
  if (r.setUp.limitsRespected)
    body += "<p class=\"note\"><strong>The distribution was moved from the asked ratios to keep every stand within its limits.</strong></p>\n";
  body += "<p>Largest miss of the asked ratios " + numberText(r.setUp.ratioMiss * 100) + " %, " +
          std::to_string(r.setUp.solves) + " passes solved.</p>\n";
  body += "<figure class=\"chart-figure\">" + scheduleChartSvg(mill, r, units) + "</figure>\n";
  for (const PassLine& l : r.setUp.lines) {
    if (!l.steps) continue;
    const pics::FrictionHill hill = hillOf(l, units);
    pics::PassReport pass;
    pass.heading = (mill.kind == MillKind::tandem ? "Stand " : "Pass ") + std::to_string(l.pass) + ": status " + statusOf(l);
    pass.summary = {{"rolling force", numberText(toUnits(l.ROLLING_FORCE, units)), units == Units::si ? "kN/m" : "t/m"},
                    {"roll speed", numberText(l.ROLL_SPEED), "m/min"},
                    {"forward slip", numberText(l.FORWARD_SLIP), ""}};
    pass.hill = &hill;
    body += "<div class=\"stand\">" + pics::passSectionBody(pass) + "</div>\n";
  }
  return body;
}

}  // namespace

std::string htmlPage(const Mill& mill, const std::vector<CoilResult>& results, Units units) {
  std::ostringstream page;
  pics::ReportWriter report(page);
  report.begin({"Mill set-up", "", {{"mill file", mill.file, ""},
                                    {"mill", mill.kind == MillKind::tandem ? "tandem" : "reversing", ""},
                                    {"passes", std::to_string(mill.passes), ""}}});
  for (const CoilResult& r : results) report.passSection(coilSection(mill, r, units));
  report.end();
  return page.str();
}

}  // namespace orowan::setup
