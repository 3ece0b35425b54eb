// Sine, cosine and the tangent term of a stored angle. A march step asks
// for the same stored angle several times: its section, the tangent and
// stick terms, and the first slope stage all use PHI; the second and third
// stages share the middle angle; the last stage's angle is the next step's
// PHI. Each function remembers the angle of its last call and answers a
// repeated angle from memory: the same double function of the same argument
// gives the same value, and a call that faulted never returned to be
// remembered. Inline, so that a repeat costs a comparison in the caller.
//
// The memory is a march's: the console's marches, one after the other,
// share the thread's; the library's marches, side by side, keep one each,
// so that neither forgets the other's angles.
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
  Wide result = 0.0;
};

// The last sine, cosine and tangent term of one march.
struct AngleMemory {
  LastCall sine, cosine, tangentTerm;
};

// The thread's memory: the console's marches and the step functions.
extern OROWAN_THREAD_STATE AngleMemory threadAngles;

// The first call at a new angle; they remember it. The angle comes by
// value: a reference would make the caller keep the angle, and whatever
// lies beside it (the four-stage step's values), in memory.
Wide newSine(AngleMemory& memory, Real angle);
Wide newCosine(AngleMemory& memory, Real angle);
Wide newTangentTerm(AngleMemory& memory, Real angle);

inline bool remembers(const LastCall& last, const Real& angle) {
  return last.known && last.angle == std::bit_cast<std::uint32_t>(angle.v);
}

// sin and cos of a stored angle (mathSin, mathCos).
[[gnu::always_inline]] inline Wide sineOf(AngleMemory& m, const Real& angle) {
  return remembers(m.sine, angle) ? m.sine.result : newSine(m, angle);
}
[[gnu::always_inline]] inline Wide cosineOf(AngleMemory& m, const Real& angle) {
  return remembers(m.cosine, angle) ? m.cosine.result : newCosine(m, angle);
}

// 1/PHI - 1/t, where t = sin PHI / cos PHI rounded to single; for PHI > 0.
// The pressure factors and the slip slope's denominator share it.
[[gnu::always_inline]] inline Wide tangentTerm(AngleMemory& m, const Real& PHI) {
  return remembers(m.tangentTerm, PHI) ? m.tangentTerm.result : newTangentTerm(m, PHI);
}

// The same with the thread's memory.
inline Wide sineOf(const Real& angle) { return sineOf(threadAngles, angle); }
inline Wide cosineOf(const Real& angle) { return cosineOf(threadAngles, angle); }
inline Wide tangentTerm(const Real& PHI) { return tangentTerm(threadAngles, PHI); }

}  // namespace orowan
