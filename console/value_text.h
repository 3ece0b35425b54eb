// The value of one value text, as the console reads a typed REAL or
// INTEGER. Shared with the batch tool, so that the same text gives the
// same single-precision value wherever it is typed.
#pragma once

#include <cstdint>

namespace orowan::console {

// A REAL value text: [sign] digits [. digits] [exponent], the exponent a
// letter E, e, D or d with an optional sign, or a sign alone ("1.5+2").
// Returns 0 and sets `value` (rounded to single precision), or returns the
// F-class number of the fault (6102, 6103, 6104) and leaves `value`.
int readRealText(const char* text, int length, float& value);

// An INTEGER value text: [sign] digits, or [sign] [base] "#" digits of the
// base (2 to 36; no base means 16). Returns 0 and sets `value`, or the
// F-class number (6100, 6101, 6302, 6303).
int readIntegerText(const char* text, int length, std::int32_t& value);

}  // namespace orowan::console
