// The friction hill of one pass as an SVG picture: roll pressure (top
// panel) and horizontal force (bottom panel) of the exit and the entry
// march over the distance X from the exit plane.
//
// What the picture shows, with the class names that tests and tools can
// look for (all elements of a panel inside <g class="panel pressure"> or
// <g class="panel force">):
//   path.curve.exit, path.curve.entry  one vertex per drawable step, in the
//       order of the steps: the exit march solid blue, the entry march
//       dashed orange (told apart in black and white by the dash);
//   path.curve.rk      the yield stress RK of the exit march (of the entry
//       march when the exit march has none): a horizontal line across the
//       panel when RK is the same at every step, else one vertex per step;
//   path.stick.exit, path.stick.entry  a wide translucent band under the
//       stretches where the march sticks (from the start of each sticking
//       step to the start of the next step);
//   circle.neutral, text.neutral-label  the neutral point (XN, P) and, in
//       the force panel, the crossing (XN, F); line.neutral-line through it;
//   text.note          "No neutral point: the force curves do not meet";
//   g.tick.x, g.tick.y a tick <line> (its x1 or y1 is the tick's pixel)
//       with its <text> label; text.axis-title.x / .y; path.grid;
//   g.legend with rect.legend-box, placed where it covers no curve, marker
//       or label: inside the plot (the y axis gains up to two ticks of
//       headroom for it) or else to the right of the plot area;
//   text.title, text.subtitle, text.plane (exit and entry plane marks).
//
// Data that cannot be drawn (NaN or infinite) are skipped: a curve breaks
// there (a new "M" in its path), and the axes ignore them; no NaN or
// infinite number ever reaches the SVG. Negative values, a single step
// and curves whose values are all equal are drawn as well.
#pragma once

#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace orowan::pictures {

// Unit texts of the axis titles and labels, in UTF-8.
struct Units {
  std::string length = "mm";
  std::string pressure = "kgf/mm²";
  std::string force = "kgf/mm";
};

// One march across the roll gap, one entry per step in the order of the
// march. Vectors may differ in length: a curve takes as many steps as both
// of its vectors have (X with P, X with F, X with RK, X with SL_ST).
struct MarchSteps {
  std::vector<double> X;   // distance from the exit plane
  std::vector<double> P;   // roll pressure
  std::vector<double> F;   // horizontal force
  std::vector<double> RK;  // yield stress; may be empty
  std::vector<int> SL_ST;  // 1 the strip slips, 2 it sticks; may be empty
};

// Where the marches meet, in the units of the picture.
struct NeutralPoint {
  double X = 0, P = 0, F = 0;
};

struct FrictionHill {
  std::string title;     // the pass's inputs, e.g. "R 100 mm, H1 2 → H2 1.5 mm, ..."
  std::string subtitle;  // optional second line, e.g. "flattened radius R′ 123.4 mm"
  MarchSteps exitMarch, entryMarch;
  std::optional<NeutralPoint> neutral;  // absent: the note says there is none
  // The contact length XL: marks the entry plane above the plot (and the
  // exit plane at X 0) when finite.
  double contactLength = std::numeric_limits<double>::quiet_NaN();
  Units units;
};

// Standalone: a file with the XML declaration. Inline: the <svg> element
// alone, for an HTML page (it carries no id, so many can share a page).
enum class Embedding { standalone, inlineHtml };

// The picture, about 900 x 670 px (wider when a legend must go outside).
std::string frictionHillSvg(const FrictionHill& hill, Embedding embedding = Embedding::standalone);

}  // namespace orowan::pictures
