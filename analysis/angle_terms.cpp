// The first evaluation of a stored angle's sine, cosine and tangent term;
// repeats are answered in angle_terms.h.
#include "analysis/angle_terms.h"

#include "analysis/math.h"

namespace orowan {

OROWAN_THREAD_STATE LastCall lastSine, lastCosine, lastTangentTerm;

namespace {

double keep(LastCall& last, const Real& angle, double result) {
  last = {true, std::bit_cast<std::uint32_t>(angle.v), result};
  return result;
}

}  // namespace

double newSine(const Real& angle) { return keep(lastSine, angle, mathSin(angle)); }

double newCosine(const Real& angle) { return keep(lastCosine, angle, mathCos(angle)); }

// t is stored, so its division is rounded before 1/t is formed.
double newTangentTerm(const Real& PHI) {
  const Real t = sineOf(PHI) / cosineOf(PHI);
  return keep(lastTangentTerm, PHI, 1.0 / PHI - 1.0 / t);
}

}  // namespace orowan
