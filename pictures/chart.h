// Line charts as SVG: a sweep (a result against a varied input, one curve
// per value of a second input) on linear axes, or a convergence study on
// logarithmic axes (decade ticks labelled 10ⁿ).
//
// Class names for tests and tools: path.curve.s0, path.curve.s1, ... one
// per series in the given order, one vertex per drawable point in the
// order of the points (a new "M" after a gap); markers of series i carry
// class "marker si"; g.legend holds rect.legend-box and one
// g.legend-entry.si per series; g.tick.x / g.tick.y hold a tick <line>
// and its label; text.axis-title.x / .y; text.title; text.note when
// nothing can be drawn.
#pragma once

#include <string>
#include <vector>

#include "pictures/axis.h"
#include "pictures/friction_hill.h"

namespace orowan::pictures {

// One curve. A point whose x or y is NaN or infinite (a faulted pass), or
// on a logarithmic axis not positive, is not drawn and leaves a gap.
struct Series {
  std::string name;          // legend text, e.g. "SGB 5"
  std::vector<double> x, y;  // pairs up to the shorter of the two
};

struct Chart {
  std::string title;
  std::string subtitle;      // optional
  std::string xName, xUnit;  // axis title "name (unit)"; unit may be empty
  std::string yName, yUnit;
  ScaleKind xScale = ScaleKind::linear;
  ScaleKind yScale = ScaleKind::linear;
  // Curves get distinct colours, dash patterns and marker shapes (eight
  // of each, repeating after eight series).
  std::vector<Series> series;
};

// The chart, about 800 x 500 px (wider when the legend must go outside).
std::string chartSvg(const Chart& chart, Embedding embedding = Embedding::standalone);

}  // namespace orowan::pictures
