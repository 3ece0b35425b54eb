// Synthetic but realistic passes for looking at the pictures and for their
// tests: friction hills shaped like the analysis's, built from quadratics
// through chosen points, so the neutral point is known exactly.
#pragma once

#include <string>

#include "pictures/chart.h"
#include "pictures/friction_hill.h"
#include "pictures/report.h"

namespace orowan::testing {

using namespace pictures;  // the pictures these passes are drawn in

// A quadratic through three points (x0, y0), (x1, y1), (x2, y2).
struct Quadratic {
  double x0, y0, x1, y1, x2, y2;
  double at(double x) const;
};

struct HillShape {
  double XL = 7.07;
  int exitSteps = 400, entrySteps = 401;
  Quadratic exitP, entryP, exitF, entryF;
  double rkAtExit = 23, rkAtEntry = 23;  // RK linear in X between them
  double stickFrom = 1, stickTo = 0;     // steps with X in [from, to] stick
  bool neutral = true;                   // the curves meet at exitP.x1
};

// Every step of both marches from the shape; the neutral point at the
// middle point of exitP (which the other curves must share) when asked.
FrictionHill makeHill(const HillShape& shape, const std::string& title);

FrictionHill typicalPass();         // the example pass: XL 7.07, XN 2.28, P 31.43
FrictionHill stickingPass();        // every step sticks
FrictionHill noNeutralPass();       // tensions: the curves do not meet
FrictionHill thinStripPass();       // large roll, thin strip: XL 30 mm, P in thousands
FrictionHill tensionPass();         // tensions make F negative near both planes
FrictionHill hardeningPass();       // RK falls from exit to entry; sticks in the middle
FrictionHill singleStepPass();      // H1 = H2: one step at X 0 in each march
FrictionHill flatPass();            // every value the same
FrictionHill densePass(int steps);  // the example pass with many steps

// Rolling force against friction for three back tensions; one faulted
// pass (NaN) leaves a gap in the last curve.
Chart sweepChart();
// Relative error against steps per side on logarithmic axes: first- and
// second-order curves, one ending in an exact zero (not drawable).
Chart convergenceChart();

// A report section for `hill` (kept by pointer: it must outlive the call
// of ReportWriter::pass): inputs, a summary and both step tables with the
// columns X, SL/ST, F, P and RK.
PassReport passReport(const FrictionHill& hill, const std::string& heading);

// A whole report of the sample passes and charts.
void writeSampleReport(std::ostream& out);

}  // namespace orowan::testing
