// Drawing shared by the pictures: plot frames with grid, ticks and axis
// titles; curves as paths in pixels; point markers; legends and where to
// put them; titles wrapped to the canvas.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "pictures/axis.h"
#include "pictures/layout.h"
#include "pictures/svg_writer.h"

namespace orowan::pictures {

inline constexpr const char* kFontFamily = "DejaVu Sans, Arial, Helvetica, sans-serif";
inline constexpr double kTickFont = 12, kTextFont = 13, kTitleFont = 16;
// A subtitle longer than the picture is wide wraps onto lines this far apart.
inline constexpr double kSubtitleLineHeight = 17;

enum class MarkerShape {
  none,
  ring,
  circle,
  square,
  triangle,
  diamond,
  triangleDown,
  cross,
  plus,
  star
};

struct LineStyle {
  std::string colour = "#000000";
  double width = 2;
  std::string dash;  // stroke-dasharray; empty for a solid line
};

// One row of a legend: a line sample (width 0: none), a halo behind it (a
// thick translucent band), a marker in its middle, and the text.
struct LegendEntry {
  std::string text;
  std::string cls;  // class of the entry's group, e.g. "exit"
  LineStyle line;
  bool halo = false;
  MarkerShape marker = MarkerShape::none;
  std::string markerColour;
};

// A plot area in pixels and the axes that map data onto it.
struct Frame {
  Box area;
  Axis x, y;
  std::string xTitle, yTitle;
};

// Sets both axes' pixel ranges from the area (y grows upwards).
void fitAxes(Frame& frame);

// Pixel runs of the points (xs[i], ys[i]), i < count: a run ends at a
// point that cannot be drawn (not finite, or not positive on a log axis).
std::vector<Polyline> pixelRuns(const Frame& frame, const std::vector<double>& xs,
                                const std::vector<double>& ys, std::size_t count);
// All runs as one polyline list for obstacle tests.
void addRuns(std::vector<Polyline>& to, const std::vector<Polyline>& runs);

// SVG path data "M x,y L x,y x,y ... M ..." of the runs.
std::string pathData(const std::vector<Polyline>& runs);

// Background, grid lines and (when inside) the zero line of the y axis.
void drawBackground(SvgWriter& svg, const Frame& frame);
// Frame border, ticks with labels on both axes, and the axis titles;
// `yTitleX` is the x of the rotated y title.
void drawAxes(SvgWriter& svg, const Frame& frame, double yTitleX);
// A curve path of class `cls` in `style`; isolated points become dots.
void drawCurve(SvgWriter& svg, const std::vector<Polyline>& runs, const std::string& cls,
               const LineStyle& style);
void drawMarker(SvgWriter& svg, Point at, MarkerShape shape, const std::string& colour,
                const std::string& cls);

// Size of the legend box for the entries.
Box legendSize(const std::vector<LegendEntry>& entries);
void drawLegend(SvgWriter& svg, const Box& box, const std::vector<LegendEntry>& entries);

// Where the legend goes: inside the area (with `extraSteps` more ticks on
// top of the y axis to make room), or outside to the right when `box` is
// empty.
struct LegendPlace {
  int extraSteps = 0;
  std::optional<Box> box;
};
// Tries positions inside the frame, first with the given y axis, then with
// one and two more ticks on top; `obstaclesFor` tells what the frame with
// a given y axis shows.
LegendPlace placeLegend(const Frame& frame, const Box& size,
                        const std::function<Obstacles(const Frame&)>& obstaclesFor);

// A linear x axis of at most `intervals` intervals whose tick labels do
// not touch over `length` px: fewer intervals while they would.
Axis readableXAxis(const Extent& extent, int intervals, double length);

// The widest tick label of an axis and of the same axis two ticks longer.
double widestTickLabel(const Axis& axis);

// Room right of the plot area for the last x tick label (half its width).
double lastLabelOverhang(const Axis& x);

// Splits `text` at blanks into lines no wider than `width` at `fontSize`
// (a single word wider than that stays whole). A line ends after a comma,
// semicolon or colon where it has one, so that the items of a list ("Y
// 245.166 MPa, SGB 0 MPa") stay whole; inside an item only when the item
// alone is too wide.
std::vector<std::string> wrapText(const std::string& text, double width, double fontSize);

// Wraps the title and the subtitle (if any) for a picture `width` wide and
// sets where the subtitle starts; returns the baseline of the last line.
double layoutTitles(const std::string& title, const std::string& subtitle, double width,
                    std::vector<std::string>& titleLines,
                    std::vector<std::string>& subtitleLines, double& subtitleY);

// The title lines (bold) and the subtitle lines from subtitleY on, centred
// on a picture `width` wide.
void drawTitles(SvgWriter& svg, double width, const std::vector<std::string>& titleLines,
                const std::vector<std::string>& subtitleLines, double subtitleY);

// Opens the root <svg> element (after the XML declaration when standalone).
void openSvg(SvgWriter& svg, double width, double height, const std::string& cls, bool standalone);

}  // namespace orowan::pictures
