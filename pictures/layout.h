// Geometry in pixels for placing legends and labels where they cover no
// curve: boxes, polylines, estimated text widths and a search among
// candidate positions.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

namespace orowan::pictures {

struct Point {
  double x = 0, y = 0;
};
using Polyline = std::vector<Point>;

// An axis-aligned box; y grows downwards as in SVG.
struct Box {
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  double width() const { return x1 - x0; }
  double height() const { return y1 - y0; }
  bool overlaps(const Box& other) const;
  bool inside(const Box& outer) const;
  Box grown(double by) const { return {x0 - by, y0 - by, x1 + by, y1 + by}; }
};

// A box of the given size with its top-left corner at (x, y).
Box boxAt(double x, double y, double width, double height);

// Whether the segment a-b passes through any part of `box`.
bool segmentCrossesBox(Point a, Point b, const Box& box);

// Whether any segment of `line` (or its only point) lies in `box`.
bool lineCrossesBox(const Polyline& line, const Box& box);

// Estimated advance of UTF-8 `text` at `fontSize` px in DejaVu Sans, the
// widest of the font list used, so the estimate is safe for the others.
double textWidth(std::string_view text, double fontSize);

// What a new legend or label must not cover.
struct Obstacles {
  std::vector<Polyline> lines;  // curves and reference lines, in pixels
  std::vector<Box> boxes;       // markers and labels already placed

  // How many obstacles reach into `box`.
  int count(const Box& box) const;
};

// The first candidate that lies inside `within` and, grown by `clearance`,
// hits no obstacle.
std::optional<Box> firstFree(const std::vector<Box>& candidates, const Obstacles& obstacles,
                             const Box& within, double clearance);

// The candidate inside `within` (or, failing that, any) that hits the
// fewest obstacles; for labels that must stay next to their point.
Box leastCovering(const std::vector<Box>& candidates, const Obstacles& obstacles,
                  const Box& within);

}  // namespace orowan::pictures
