// The floor's call list, taken from the analysis's own math-call log: the
// calls a pass makes, not a second copy of its formulas.
#include "math_floor.h"

#include <cmath>

#include "analysis/math.h"

namespace bench {
namespace {

double sumOf(const CallList& list, double (*f)(double)) {
  double sum = 0.0;
  for (int i = 0; i < list.count; ++i) sum += f(list.args[i]);
  return sum;
}

CallList& listOf(MathTape& tape, orowan::MathFunction function) {
  switch (function) {
    case orowan::MathFunction::sin: return tape.sines;
    case orowan::MathFunction::cos: return tape.cosines;
    case orowan::MathFunction::atan: return tape.arctangents;
    default: return tape.roots;
  }
}

}  // namespace

void recordMathTape(MathTape& tape, void (*pass)()) {
  static orowan::MathCall calls[4 * kMaxTapeCalls];
  orowan::MathCallLog log{calls, 4 * kMaxTapeCalls};
  orowan::setMathCallLog(&log);
  pass();
  orowan::setMathCallLog(nullptr);
  tape = MathTape{};
  const int kept = log.count < log.capacity ? log.count : log.capacity;
  for (int i = 0; i < kept; ++i) listOf(tape, calls[i].function).add(calls[i].argument);
}

double runMathTape(const MathTape& tape) {
  return sumOf(tape.sines, std::sin) + sumOf(tape.cosines, std::cos) +
         sumOf(tape.arctangents, std::atan) + sumOf(tape.roots, std::sqrt);
}

}  // namespace bench
