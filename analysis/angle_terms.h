// Sine, cosine and the tangent term of a stored angle. A march step asks
// for the same stored angle several times: its section, the tangent and
// stick terms, and the first slope stage all use PHI; the second and third
// stages share the middle angle; the last stage's angle is the next step's
// PHI. Each function remembers the angle of its last call and answers a
// repeated angle from memory: the same double function of the same argument
// gives the same value, and a call that faulted never returned to be
// remembered. Inline, so that a repeat costs a comparison in the caller.
#pragma once

#include <bit>
#include <cstdint>

#include "analysis/real.h"
#include "analysis/record.h"

namespace orowan {

// One function's last argument (as the bits of the stored angle, so that
// -0.0 and 0.0 stay apart) and its result.
struct LastCall {
  bool known = false;
  std::uint32_t angle = 0;
  double result = 0.0;
};

// Per thread, like the analysis record.
extern OROWAN_THREAD_STATE LastCall lastSine, lastCosine, lastTangentTerm;

// The first call at a new angle; they remember it.
double newSine(const Real& angle);
double newCosine(const Real& angle);
double newTangentTerm(const Real& angle);

inline bool remembers(const LastCall& last, const Real& angle) {
  return last.known && last.angle == std::bit_cast<std::uint32_t>(angle.v);
}

// sin and cos of a stored angle (mathSin, mathCos).
inline double sineOf(const Real& angle) {
  return remembers(lastSine, angle) ? lastSine.result : newSine(angle);
}
inline double cosineOf(const Real& angle) {
  return remembers(lastCosine, angle) ? lastCosine.result : newCosine(angle);
}

// 1/PHI - 1/t, where t = sin PHI / cos PHI rounded to single; for PHI > 0.
// The pressure factors and the slip slope's denominator share it.
inline double tangentTerm(const Real& PHI) {
  return remembers(lastTangentTerm, PHI) ? lastTangentTerm.result : newTangentTerm(PHI);
}

}  // namespace orowan
