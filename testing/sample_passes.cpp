#include "testing/sample_passes.h"

#include <cmath>
#include <limits>
#include <string>

#include "pictures/svg_writer.h"

namespace orowan::testing {
namespace {

// X of step i of a march of n steps from `from` to `to` (uniform in angle
// in the analysis; uniform in X is close enough for a picture).
double stepX(int i, int n, double from, double to) {
  return n <= 1 ? from : from + (to - from) * i / (n - 1);
}

void fillMarch(MarchSteps& m, const HillShape& s, int n, double from, double to, const Quadratic& p,
               const Quadratic& f) {
  for (int i = 0; i < n; ++i) {
    double x = stepX(i, n, from, to);
    m.X.push_back(x);
    m.P.push_back(p.at(x));
    m.F.push_back(f.at(x));
    double t = s.XL > 0 ? x / s.XL : 0;
    m.RK.push_back(s.rkAtExit + (s.rkAtEntry - s.rkAtExit) * t);
    m.SL_ST.push_back(x >= s.stickFrom && x <= s.stickTo ? 2 : 1);
  }
}

}  // namespace

double Quadratic::at(double x) const {
  return y0 * (x - x1) * (x - x2) / ((x0 - x1) * (x0 - x2)) +
         y1 * (x - x0) * (x - x2) / ((x1 - x0) * (x1 - x2)) +
         y2 * (x - x0) * (x - x1) / ((x2 - x0) * (x2 - x1));
}

FrictionHill makeHill(const HillShape& s, const std::string& title) {
  FrictionHill hill;
  hill.title = title;
  hill.contactLength = s.XL;
  fillMarch(hill.exitMarch, s, s.exitSteps, 0, s.XL, s.exitP, s.exitF);
  fillMarch(hill.entryMarch, s, s.entrySteps, s.XL, 0, s.entryP, s.entryF);
  if (s.neutral) hill.neutral = NeutralPoint{s.exitP.x1, s.exitP.y1, s.exitF.y1};
  return hill;
}

FrictionHill typicalPass() {
  HillShape s;
  s.exitP = {0, 22.8, 2.28, 31.43, 7.07, 59};
  s.entryP = {7.07, 22.75, 2.28, 31.43, 0.2, 40};
  s.exitF = {0, 0, 2.28, 13.70, 7.07, 74};
  s.entryF = {7.07, 0, 2.28, 13.70, 0, 27};
  FrictionHill hill = makeHill(s, "R 100 mm, H1 2 → H2 1.5 mm, Y 20 kgf/mm², SGB 0, SGF 0, U 0.1");
  hill.subtitle = "flattened radius R′ 123.4 mm";
  return hill;
}

FrictionHill stickingPass() {
  HillShape s;
  s.exitP = {0, 22.8, 3.0, 38, 7.07, 80};
  s.entryP = {7.07, 22.75, 3.0, 38, 0, 60};
  s.exitF = {0, 0, 3.0, 21, 7.07, 95};
  s.entryF = {7.07, 0, 3.0, 21, 0, 45};
  s.stickFrom = 0;
  s.stickTo = 7.07;
  return makeHill(s, "R 100 mm, H1 2 → H2 1.5 mm, Y 20 kgf/mm², SGB 0, SGF 0, U 0.5");
}

FrictionHill noNeutralPass() {
  HillShape s;
  s.exitP = {0, 10, 3, 14, 7.07, 25};
  s.entryP = {7.07, 27, 3, 38, 0, 50};
  s.exitF = {0, -10, 3, 5, 7.07, 30};
  s.entryF = {7.07, 35, 3, 45, 0, 55};
  s.neutral = false;
  return makeHill(s, "R 100 mm, H1 2 → H2 1.5 mm, Y 20 kgf/mm², SGB 0, SGF 12, U 0.1");
}

FrictionHill thinStripPass() {
  HillShape s;
  s.XL = 30;
  s.exitP = {0, 3000, 12, 8000, 30, 21000};
  s.entryP = {30, 2950, 12, 8000, 0, 15000};
  s.exitF = {0, 0, 12, 60, 30, 190};
  s.entryF = {30, 0, 12, 60, 0, 110};
  s.rkAtExit = s.rkAtEntry = 60;
  FrictionHill hill =
      makeHill(s, "R 1000 mm, H1 0.1 → H2 0.09 mm, Y 52 kgf/mm², SGB 0, SGF 0, U 0.1");
  hill.subtitle = "flattened radius R′ 45000 mm";
  return hill;
}

FrictionHill tensionPass() {
  HillShape s;
  s.exitP = {0, 18, 2.5, 26, 7.07, 50};
  s.entryP = {7.07, 19, 2.5, 26, 0, 36};
  s.exitF = {0, -20, 2.5, -2, 7.07, 45};
  s.entryF = {7.07, -15, 2.5, -2, 0, 18};
  return makeHill(s, "R 100 mm, H1 2 → H2 1.5 mm, Y 20 kgf/mm², SGB 8, SGF 10, U 0.1");
}

FrictionHill hardeningPass() {
  HillShape s;
  s.exitP = {0, 30, 2.5, 40, 7.07, 70};
  s.entryP = {7.07, 20, 2.5, 40, 0, 52};
  s.exitF = {0, 0, 2.5, 22, 7.07, 85};
  s.entryF = {7.07, 0, 2.5, 22, 0, 40};
  s.rkAtExit = 30;
  s.rkAtEntry = 20;
  s.stickFrom = 1.8;
  s.stickTo = 3.4;
  return makeHill(s, "R 100 mm, H1 2 → H2 1.5 mm, yield table, SGB 0, SGF 0, U 0.3");
}

FrictionHill singleStepPass() {
  FrictionHill hill;
  hill.title = "R 100 mm, H1 1.5 → H2 1.5 mm, Y 20 kgf/mm², SGB 2, SGF 2, U 0.1";
  hill.contactLength = 0;
  hill.exitMarch = {{0}, {21}, {-3}, {23}, {1}};
  hill.entryMarch = {{0}, {21}, {-3}, {23}, {1}};
  return hill;
}

FrictionHill flatPass() {
  HillShape s;
  s.XL = 5;
  s.exitP = s.entryP = {0, 25, 2.5, 25, 5, 25};
  s.exitF = s.entryF = {0, 10, 2.5, 10, 5, 10};
  s.rkAtExit = s.rkAtEntry = 25;
  return makeHill(s, "every value the same");
}

FrictionHill densePass(int steps) {
  FrictionHill hill = typicalPass();
  HillShape s;
  s.exitSteps = s.entrySteps = steps;
  s.exitP = {0, 22.8, 2.28, 31.43, 7.07, 59};
  s.entryP = {7.07, 22.75, 2.28, 31.43, 0.2, 40};
  s.exitF = {0, 0, 2.28, 13.70, 7.07, 74};
  s.entryF = {7.07, 0, 2.28, 13.70, 0, 27};
  return makeHill(s, hill.title + ", " + std::to_string(steps) + " steps");
}

Chart sweepChart() {
  Chart chart;
  chart.title = "Rolling force against friction, R 100 mm, H1 2 → H2 1.5 mm, Y 20 kgf/mm²";
  chart.xName = "friction coefficient U";
  chart.yName = "rolling force P";
  chart.yUnit = "t/m";
  for (double sgb : {0.0, 5.0, 10.0}) {
    Series s{"SGB " + std::to_string(static_cast<int>(sgb)), {}, {}};
    for (int i = 0; i <= 10; ++i) {
      double u = 0.05 + 0.025 * i;
      s.x.push_back(u);
      s.y.push_back((185.5 - 4.2 * sgb) * (1 + 2.4 * (u - 0.1) + 3.1 * (u - 0.1) * (u - 0.1)));
    }
    if (sgb == 10) s.y[6] = std::numeric_limits<double>::quiet_NaN();
    chart.series.push_back(s);
  }
  return chart;
}

Chart convergenceChart() {
  Chart chart;
  chart.title = "Convergence of the example pass";
  chart.subtitle = "error against the 6400-step result";
  chart.xName = "steps per side";
  chart.yName = "relative error";
  chart.xScale = chart.yScale = ScaleKind::logarithmic;
  Series force{"rolling force", {}, {}}, torque{"torque", {}, {}},
      neutral{"neutral point XN", {}, {}};
  for (int n = 25; n <= 3200; n *= 2) {
    for (Series* s : {&force, &torque, &neutral}) s->x.push_back(n);
    force.y.push_back(3.1 / (double(n) * n));
    torque.y.push_back(12.0 / (double(n) * n));
    neutral.y.push_back(n == 3200 ? 0.0 : 0.8 / n);
  }
  chart.series = {force, torque, neutral};
  return chart;
}

namespace {

std::string two(double v) { return fixed(v, 2); }

StepTable stepTable(const std::string& caption, const MarchSteps& m) {
  StepTable table{caption, {"X", "SL/ST", "F", "P", "RK"}, {}};
  for (std::size_t i = 0; i < m.X.size(); ++i) {
    table.rows.push_back(
        {two(m.X[i]), std::to_string(m.SL_ST[i]), two(m.F[i]), two(m.P[i]), two(m.RK[i])});
  }
  return table;
}

}  // namespace

PassReport passReport(const FrictionHill& hill, const std::string& heading) {
  PassReport pass;
  pass.heading = heading;
  pass.inputs = {{"pass", hill.title, ""}};
  if (hill.neutral) {
    pass.summary = {{"neutral point XN", two(hill.neutral->X), "mm"},
                    {"neutral point pressure P", two(hill.neutral->P), "kgf/mm²"}};
  } else {
    pass.note = "No neutral point: the force curves do not meet.";
  }
  pass.summary.push_back({"contact length XL", two(hill.contactLength), "mm"});
  pass.hill = &hill;
  pass.steps = {stepTable("Exit march, every step", hill.exitMarch),
                stepTable("Entry march, every step", hill.entryMarch)};
  return pass;
}

void writeSampleReport(std::ostream& out) {
  ReportWriter report(out);
  report.begin({"Sample passes <&> \"pictures\"",
                "2024-05-01 10:00",
                {{"passes", "4", ""}, {"roll radius R", "100", "mm"}}});
  report.chart(sweepChart(), "Rolling force against friction for three back tensions");
  report.chart(convergenceChart());
  int n = 0;
  for (const FrictionHill& hill : {typicalPass(), stickingPass(), noNeutralPass(), tensionPass()}) {
    report.pass(passReport(hill, "Pass " + std::to_string(++n) + ": " + hill.title));
  }
  report.end();
}

}  // namespace orowan::testing
