// Reading back what a picture shows, for tests of the pictures library and
// for end-to-end tests of the tools that write them: elements by class,
// curve vertices in pixels, and each axis's scale as its labelled ticks
// give it (tick label text -> tick mark position), independent of the
// library's own scale code.
//
//   xmlcheck::Element svg = xmlcheck::parseXml(text);
//   const auto& panel = svgcheck::findOne(svg, "panel pressure");
//   svgcheck::Scale x = svgcheck::axisScale(panel, 'x'), y = svgcheck::axisScale(panel, 'y');
//   auto runs = svgcheck::pathRuns(svgcheck::findOne(panel, "curve exit"));
//   // runs[k][i] is a vertex in pixels; x.toValue(vertex.x) is its data value
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "xml_reader.h"

namespace svgcheck {

using xmlcheck::Element;

// Every element below `root` (and root itself) whose class list holds all
// the words of `classes`, in document order.
std::vector<const Element*> findAll(const Element& root, std::string_view classes);
// The one such element; throws xmlcheck::XmlError when there are none or several.
const Element& findOne(const Element& root, std::string_view classes);

struct Point {
  double x = 0, y = 0;
};
using Run = std::vector<Point>;

// Vertices of a <path> with absolute M, L, H and V commands (implicit
// repeats allowed), one run per M; or of a <polyline>'s points. Other
// commands (relative ones, curves, Z) throw.
std::vector<Run> pathRuns(const Element& path);
std::size_t vertexCount(const std::vector<Run>& runs);
// All vertices of all runs in order.
Run vertices(const std::vector<Run>& runs);

// The value a tick label stands for: "12", "−2.5" (either minus sign),
// "2.5×10⁶", "10⁻³".
double labelValue(std::string_view label);
// Whether the label is a bare power of ten "10ⁿ" (a logarithmic axis).
bool isDecadeLabel(std::string_view label);

struct Tick {
  std::string label;
  double value = 0;  // from the label
  double pixel = 0;  // from the tick mark (x1 for 'x', y1 for 'y')
};
// The labelled ticks of one axis ('x' or 'y') in a panel, in document order.
std::vector<Tick> ticks(const Element& panel, char axis);

// A mapping between data values and pixels through two reference ticks;
// logarithmic when the axis is labelled in decades.
struct Scale {
  bool logarithmic = false;
  Tick a, b;
  double toPixel(double value) const;
  double toValue(double pixel) const;
};
// The scale given by the first and last labelled tick of the axis.
Scale axisScale(const Element& panel, char axis);

struct Box {
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
};
// The box of a <rect>.
Box rectBox(const Element& rect);
// Whether any segment of the runs (or a lone vertex) reaches into the box.
bool crosses(const std::vector<Run>& runs, const Box& box);

}  // namespace svgcheck
