// Convergence charts of the study.
#include "accuracy/study_charts.h"

#include <algorithm>

#include "pictures/chart.h"

namespace orowan::accuracy {
namespace {

namespace pics = orowan::pictures;

// Errors below this are the reference's own rounding, not the scheme's.
constexpr double kNoiseFloor = 1e-12;

double aboveFloor(double error) { return error > kNoiseFloor ? error : 0.0; }

pics::Chart logLogChart(const std::string& title, const std::string& subtitle,
                        const std::string& yName) {
  pics::Chart chart;
  chart.title = title;
  chart.subtitle = subtitle;
  chart.xName = "steps per side";
  chart.yName = yName;
  chart.xScale = chart.yScale = pics::ScaleKind::logarithmic;
  return chart;
}

// A guide line c N^-order through the first step count of the points.
pics::Series guide(const std::string& name, const std::vector<ConvergencePoint>& points, double c,
                   int order) {
  pics::Series s{name, {}, {}};
  for (const ConvergencePoint& p : points) {
    double y = c;
    for (int k = 0; k < order; ++k) y /= p.steps;
    if (y < kNoiseFloor) break;
    s.x.push_back(p.steps);
    s.y.push_back(y);
  }
  return s;
}

}  // namespace

std::vector<ConvergencePass> measureChartPasses() {
  const std::vector<std::pair<std::string, PassConditions>> passes = {
      {"example pass (slip)", {100, 2, 1.5, 20, 0, 0, 0.1}},
      {"sticking, heavy pass", {150, 8, 5, 25, 0, 0, 0.5}},
      {"thin strip, tensions", {350, 0.3, 0.25, 60, 10, 15, 0.08}},
  };
  std::vector<ConvergencePass> out;
  for (const auto& [name, pass] : passes)
    out.push_back({name, pass, measureConvergence(pass, doublingSteps(25, 10))});
  return out;
}

double medianOrder(const std::vector<ConvergencePoint>& points, const std::vector<double>& orders,
                   int fromSteps) {
  std::vector<double> kept;
  for (size_t k = 0; k < orders.size(); ++k)
    if (points[k].steps >= fromSteps) kept.push_back(orders[k]);
  if (kept.empty()) return 0.0;
  std::sort(kept.begin(), kept.end());
  const size_t n = kept.size();
  return n % 2 == 1 ? kept[n / 2] : 0.5 * (kept[n / 2 - 1] + kept[n / 2]);
}

std::string forceConvergenceSvg(const std::vector<ConvergencePass>& passes) {
  pics::Chart chart = logLogChart("Rolling force error against steps per side",
                                  "console's scheme (first order), RK4 with located switches "
                                  "(fourth order)",
                                  "error against the converged force");
  for (const ConvergencePass& p : passes) {
    pics::Series console{"console scheme: " + p.name, {}, {}}, rk4{"RK4: " + p.name, {}, {}};
    for (const ConvergencePoint& q : p.study.console.points)
      console.x.push_back(q.steps), console.y.push_back(aboveFloor(q.forceError));
    for (const ConvergencePoint& q : p.study.converged.points)
      rk4.x.push_back(q.steps), rk4.y.push_back(aboveFloor(q.forceError));
    chart.series.push_back(console);
    chart.series.push_back(rk4);
  }
  const std::vector<ConvergencePoint>& points = passes.front().study.console.points;
  // Guides clear of the curves: below the console's (0.3/N to 1/N) and
  // above RK4's (1e-7 to 3e-6 at 25 steps).
  chart.series.push_back(guide("slope -1 (0.1/N)", points, 0.1, 1));
  chart.series.push_back(guide("slope -4 (10/N^4)", points, 10.0, 4));
  return pics::chartSvg(chart);
}

std::string neutralConvergenceSvg(const std::vector<ConvergencePass>& passes) {
  pics::Chart chart = logLogChart("Neutral angle error against steps per side",
                                  "console's scheme: the first node at or past the crossing",
                                  "error / contact angle");
  for (const ConvergencePass& p : passes) {
    pics::Series s{"console scheme: " + p.name, {}, {}};
    for (const ConvergencePoint& q : p.study.console.points)
      s.x.push_back(q.steps), s.y.push_back(aboveFloor(q.angleError));
    chart.series.push_back(s);
  }
  chart.series.push_back(guide("one step (1/N)", passes.front().study.console.points, 1.0, 1));
  return pics::chartSvg(chart);
}

}  // namespace orowan::accuracy
