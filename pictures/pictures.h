// The pictures of the rolling calculator, from plain data (numbers and
// texts) to SVG and HTML text; the library knows nothing of the analysis.
//
// Friction hill of one pass (friction_hill.h):
//   FrictionHill hill;
//   hill.title = "R 100 mm, H1 2 → H2 1.5 mm, Y 20 kgf/mm², SGB 0, SGF 0, U 0.1";
//   hill.exitMarch = {X, P, F, RK, SL_ST};    // every step, vectors of the march
//   hill.entryMarch = {...};
//   hill.neutral = NeutralPoint{XN, P_N, F_N}; // leave empty when there is none
//   hill.contactLength = XL;
//   std::string svg = frictionHillSvg(hill);
//
// Sweep chart and log-log chart (chart.h):
//   Chart chart{"Rolling force against friction", "", "U", "", "rolling force", "t/m"};
//   chart.series.push_back({"SGB 0", us, forces});  // NaN where a pass faulted
//   chart.xScale = chart.yScale = ScaleKind::logarithmic;  // for a convergence study
//   std::string svg = chartSvg(chart);
//
// HTML report, streamed (report.h):
//   ReportWriter report(out);
//   report.begin(header);  report.chart(chart);  report.pass(section);  report.end();
//
// Every output is deterministic: the same data give the same bytes, on any
// thread and under any locale. The functions are reentrant.
#pragma once

#include "pictures/chart.h"
#include "pictures/friction_hill.h"
#include "pictures/report.h"
