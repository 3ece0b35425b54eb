// One coil through the mill at given thicknesses: every pass solved by
// passes::solveRequest as the batch tool solves a line (the tensions
// before and after the stand, the strain carried from pass to pass, the
// stand's rolls), the strip's speeds by constant volume flow, and each
// pass's loads against its stand's limits.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "passes/request.h"
#include "setup/mill.h"

namespace orowan::setup {

// One pass of a set-up, in the analysis's units (kgf/mm2, t/m, t-m/m) and
// totals over the coil's width in t, t-m and kW.
struct PassLine {
  int pass = 0;  // 1..n
  float H1 = 0, H2 = 0;
  float SGB = 0, SGF = 0;  // kgf/mm2, as the pass takes them
  float U = 0, R = 0;
  passes::Status status = passes::Status::notSolved;
  Fault fault;
  bool flattened = false;
  float R_FLAT = NAN, EPS_IN = NAN, EPS_OUT = NAN, Y_MEAN = NAN;
  float ROLLING_FORCE = NAN, G = NAN;     // t/m, t-m/m (both rolls)
  float FORWARD_SLIP = NAN;
  float ROLL_SPEED = NAN, V_ENTRY = NAN, V_EXIT = NAN;  // m/min
  float POWER = NAN;                                    // kW/m (both rolls)
  double forceTotal = NAN, torqueTotal = NAN, powerTotal = NAN;  // t, t-m, kW
  std::vector<std::string> overLimits;  // "over force limit", ...
  std::string problem;                  // why the pass has no loads ("" when it has)
  // No neutral point because the marches do not meet before the entry
  // plane: the strip slips forward over the whole arc, as with too little
  // reduction for its tensions (not too much for its friction).
  bool slipsForward = false;
  std::shared_ptr<const PassResult> steps;  // the pass's marches (when kept)
};

// The pass at thicknesses H1 -> H2 with the strain `strainIn` brought
// in: the request exactly as the batch tool builds it from the same typed
// values (a roll speed is not part of it: speeds come after the solve).
passes::Request passRequest(const Mill& mill, const Coil& coil, int pass, float H1, float H2,
                            double strainIn);

// Solves passes with one scratch and counts the analysis's passes (a
// flattened pass solves one a radius its search tries).
class PassSolver {
 public:
  PassSolver(const Mill& mill, const Coil& coil) : mill_(mill), coil_(coil), scratch_(new PassResult) {}

  // The pass `pass` (0-based), its loads and speeds; with keepSteps the
  // marches are copied into the line.
  PassLine solve(int pass, float H1, float H2, double strainIn, bool keepSteps = false);

  long solves() const { return solves_; }

 private:
  const Mill& mill_;
  const Coil& coil_;
  std::unique_ptr<PassResult> scratch_;
  passes::Answer answer_;
  long solves_ = 0;
};

// The strip's speed leaving pass `pass` (0-based) of a coil that leaves
// the mill at H_exit with V_exit: tandem, constant volume flow
// (V_exit H_exit / H2); reversing, every pass at V_exit.
double exitSpeed(const Mill& mill, const Coil& coil, int pass, float H2);

// The whole schedule at thicknesses `H` (after each pass, the last is
// H_exit): every pass in turn, each taking the strain the one before
// left; limits checked. A pass without loads ends nothing: the passes
// after it are still solved (with the strain out of the thicknesses).
std::vector<PassLine> solveSchedule(const Mill& mill, const Coil& coil, const std::vector<float>& H,
                                    PassSolver& solver, bool keepSteps = false);

// The limits of the pass's stand that its loads exceed, in the file's
// units (the words of the status column).
std::vector<std::string> exceededLimits(const Mill& mill, const Coil& coil, const PassLine& line);

// The pass's load that the distribution shares: force per width (t/m) or
// power (kW/m); NaN without one.
double shareLoad(const PassLine& line, ShareBy by);

}  // namespace orowan::setup
