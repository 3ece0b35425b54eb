// The math floor of a pass: the math-library calls that one pass makes,
// with the arguments it makes them with, and nothing else.
#pragma once

namespace bench {

constexpr int kMaxTapeCalls = 16384;  // per function; a pass makes far fewer

// The arguments of every call of one function, in the order of the pass.
struct CallList {
  double args[kMaxTapeCalls];
  int count = 0;
  void add(double x) {
    if (count < kMaxTapeCalls) args[count++] = x;
  }
};

struct MathTape {
  CallList sines, cosines, arctangents, roots;
};

// Fills `tape` with the calls of the pass whose results are in the
// analysis record (call right after a whole pass). It follows the march
// and the integrator call for call: each step asks for the sine and cosine
// of its section, the slip test's square root, the tangent and stick terms,
// and four slope stages; a request for the angle that the function's last
// call already had is answered from memory and makes no call.
void recordMathTape(MathTape& tape);

// Makes the calls of `tape`; returns the sum of the results so that none
// of them can be left out.
double runMathTape(const MathTape& tape);

}  // namespace bench
