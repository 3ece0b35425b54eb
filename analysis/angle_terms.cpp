// Sine and cosine of a stored angle. A march step asks for the same stored
// angle several times: its section, the tangent and stick terms, and the
// first slope stage all use PHI; the second and third stages share the
// middle angle; the last stage's angle is the next step's PHI. Each
// function remembers the angle of its last call and answers a repeated
// angle from memory: the same double function of the same argument gives
// the same value, and a call that faulted would have ended the program.
#include <bit>
#include <cstdint>

#include "analysis/analysis.h"
#include "console/failures.h"

namespace orowan {
namespace {

// One function's last argument (as the bits of the stored angle, so that
// -0.0 and 0.0 stay apart) and its result.
struct LastCall {
  bool known = false;
  std::uint32_t angle = 0;
  double result = 0.0;
};

LastCall lastSine, lastCosine;

// The remembered result of `f` at `angle`, calling `f` for a new angle.
double remembered(LastCall& last, double (*f)(double), const Real& angle) {
  const std::uint32_t bits = std::bit_cast<std::uint32_t>(angle.v);
  if (!last.known || last.angle != bits) {
    last.result = f(angle);
    last.angle = bits;
    last.known = true;
  }
  return last.result;
}

}  // namespace

double sineOf(const Real& angle) { return remembered(lastSine, console::mathSin, angle); }

double cosineOf(const Real& angle) { return remembered(lastCosine, console::mathCos, angle); }

}  // namespace orowan
