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

// Runs `pass` with the analysis's math-call log set and fills `tape` with
// the calls it made, per function, in order.
void recordMathTape(MathTape& tape, void (*pass)());

// Makes the calls of `tape`; returns the sum of the results so that none
// of them can be left out.
double runMathTape(const MathTape& tape);

}  // namespace bench
