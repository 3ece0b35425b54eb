// The latency floor of a pass: the chain of dependent arithmetic that
// carries F from step to step in each march (the slip root A and its
// square root, W, the four slope stages and the stored k's), with every
// sine, cosine and tangent term worked out beforehand. Run with the two
// marches in turn, its time is the sum of the two chains; side by side,
// the longer of them.
#pragma once

#include <vector>

#include "analysis/pass.h"

namespace bench {

// What one step of a march needs besides F, as the analysis forms it: the
// slip slope's S and D and the stick slope's sine at the stage angles PHI,
// PHI + h/2 and PHI + h, the stick term, and the section's values.
struct ChainStep {
  float H, U, RK, STICK_TERM;
  float S[3], D[3], sine[3];
};

struct ChainMarch {
  float h;        // the signed angle step
  float F0;       // F at the march's plane
  std::vector<ChainStep> steps;
  std::vector<float> F;  // F at each step, as the pass stored it
};

struct Chain {
  float c, PI, ROLL_DIAMETER;
  ChainMarch exit, entry;
};

// The chain of a solved pass from its stored steps (which must have
// ended without a fault).
Chain chainOf(const orowan::PassInput& input);

// Both chains to their ends, one after the other or side by side; each
// returns the last F of both. `check` compares every F with the pass's
// and returns false at the first that differs.
double chainInTurn(const Chain& chain);
double chainSideBySide(const Chain& chain);
bool chainMatchesPass(const Chain& chain);

}  // namespace bench
