// The first evaluation of a stored angle's sine, cosine and tangent term;
// repeats are answered in angle_terms.h.
#include "analysis/angle_terms.h"

#include "analysis/math.h"

namespace orowan {

OROWAN_THREAD_STATE AngleMemory threadAngles;

namespace {

Wide keep(LastCall& last, const Real& angle, Wide result) {
  last = {true, std::bit_cast<std::uint32_t>(angle.v), result};
  return result;
}

}  // namespace

Wide newSine(AngleMemory& m, Real angle) {
  return keep(m.sine, angle, mathSin(angle));
}

Wide newCosine(AngleMemory& m, Real angle) {
  return keep(m.cosine, angle, mathCos(angle));
}

// t is stored, so its division is rounded before 1/t is formed.
Wide newTangentTerm(AngleMemory& m, Real PHI) {
  const Real t = sineOf(m, PHI) / cosineOf(m, PHI);
  return keep(m.tangentTerm, PHI, 1.0 / PHI - 1.0 / t);
}

}  // namespace orowan
