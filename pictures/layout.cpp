#include "pictures/layout.h"

#include <algorithm>
#include <cstdint>

namespace orowan::pictures {
namespace {

// Cohen-Sutherland outcode of a point against a box.
int outcode(Point p, const Box& b) {
  int code = 0;
  if (p.x < b.x0) code |= 1;
  if (p.x > b.x1) code |= 2;
  if (p.y < b.y0) code |= 4;
  if (p.y > b.y1) code |= 8;
  return code;
}

// Advance of one code point in em, from DejaVu Sans's metrics, rounded up.
double advance(std::uint32_t c) {
  if (c == ' ' || c == '.' || c == ',' || c == ':' || c == ';' || c == '\'') return 0.33;
  if (c >= '0' && c <= '9') return 0.64;
  if (c >= 'A' && c <= 'Z') return 0.75;
  if (c == 'i' || c == 'j' || c == 'l' || c == 'f' || c == 't' || c == 'r') return 0.42;
  if (c == 'm' || c == 'w') return 0.98;
  if (c >= 'a' && c <= 'z') return 0.63;
  if (c >= 0x2070 && c <= 0x209F) return 0.42;  // superscripts
  if (c == 0xB2 || c == 0xB3 || c == 0xB9) return 0.42;
  return 0.84;  // arrows, symbols, wide letters
}

}  // namespace

bool Box::overlaps(const Box& o) const { return x0 < o.x1 && o.x0 < x1 && y0 < o.y1 && o.y0 < y1; }

bool Box::inside(const Box& outer) const {
  return x0 >= outer.x0 && y0 >= outer.y0 && x1 <= outer.x1 && y1 <= outer.y1;
}

Box boxAt(double x, double y, double width, double height) { return {x, y, x + width, y + height}; }

bool segmentCrossesBox(Point a, Point b, const Box& box) {
  int ca = outcode(a, box), cb = outcode(b, box);
  for (int round = 0; round < 8; ++round) {
    if ((ca | cb) == 0) return true;   // both ends inside
    if ((ca & cb) != 0) return false;  // both beyond the same edge
    int out = ca ? ca : cb;            // clip the end outside to an edge
    Point& p = ca ? a : b;
    Point q = ca ? b : a;
    if (out & 8)
      p = {p.x + (q.x - p.x) * (box.y1 - p.y) / (q.y - p.y), box.y1};
    else if (out & 4)
      p = {p.x + (q.x - p.x) * (box.y0 - p.y) / (q.y - p.y), box.y0};
    else if (out & 2)
      p = {box.x1, p.y + (q.y - p.y) * (box.x1 - p.x) / (q.x - p.x)};
    else
      p = {box.x0, p.y + (q.y - p.y) * (box.x0 - p.x) / (q.x - p.x)};
    (ca ? ca : cb) = outcode(p, box);
  }
  return true;
}

double textWidth(std::string_view text, double fontSize) {
  double em = 0;
  for (std::size_t i = 0; i < text.size();) {
    auto byte = static_cast<unsigned char>(text[i]);
    int length = byte < 0x80 ? 1 : byte < 0xE0 ? 2 : byte < 0xF0 ? 3 : 4;
    std::uint32_t c = length == 1 ? byte : byte & (0x7F >> length);
    for (int k = 1; k < length && i + k < text.size(); ++k) {
      c = (c << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    }
    em += advance(c);
    i += length;
  }
  return em * fontSize;
}

bool lineCrossesBox(const Polyline& line, const Box& box) {
  if (line.size() == 1) return segmentCrossesBox(line[0], line[0], box);
  for (std::size_t i = 1; i < line.size(); ++i) {
    if (segmentCrossesBox(line[i - 1], line[i], box)) return true;
  }
  return false;
}

int Obstacles::count(const Box& box) const {
  int n = 0;
  for (const Box& b : boxes) n += b.overlaps(box) ? 1 : 0;
  for (const Polyline& line : lines) n += lineCrossesBox(line, box) ? 1 : 0;
  return n;
}

std::optional<Box> firstFree(const std::vector<Box>& candidates, const Obstacles& obstacles,
                             const Box& within, double clearance) {
  for (const Box& c : candidates) {
    if (c.inside(within) && obstacles.count(c.grown(clearance)) == 0) return c;
  }
  return std::nullopt;
}

Box leastCovering(const std::vector<Box>& candidates, const Obstacles& obstacles,
                  const Box& within) {
  Box best = candidates.front();
  int bestScore = 1 << 30;
  for (const Box& c : candidates) {
    int score = (c.inside(within) ? 0 : 1000) + obstacles.count(c);
    if (score < bestScore) {
      best = c;
      bestScore = score;
    }
  }
  return best;
}

}  // namespace orowan::pictures
