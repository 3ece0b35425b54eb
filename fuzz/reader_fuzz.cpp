// Fuzz target: arbitrary bytes as standard input to the value reader,
// through read statements in the dialogue's pattern (one REAL, two REALs,
// one REAL, two REALs, one REAL, one INTEGER, and again) until the input
// ends or a value is refused. Every REAL the reader stores must be a
// finite single-precision value, and the reader raises no floating-point
// fault of its own: it runs under the program's traps, and only F-class
// reports may end it.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "console/reader.h"
#include "harness.h"

namespace {

// The variables keep their values across statements, as the dialogue's do.
float reals[7];
std::int32_t answer;

void checkFinite(float value) {
  if (!std::isfinite(value)) {
    std::fprintf(stderr, "fuzz finding: the reader stored a value that is not finite\n");
    std::abort();
  }
}

void readReals(int first, int count) {
  orowan::console::beginRead();
  for (int i = first; i < first + count; ++i) {
    orowan::console::getRealItem(reals[i]);
    checkFinite(reals[i]);
  }
  orowan::console::endRead();
}

void readAnswer() {
  orowan::console::beginRead();
  orowan::console::getIntegerItem(answer);
  orowan::console::endRead();
}

// Each statement consumes at least one byte, so the loop ends with the
// input (error 6501) or earlier with a refused value.
void dialoguePattern() {
  for (;;) {
    readReals(0, 1);
    readReals(1, 2);
    readReals(3, 1);
    readReals(4, 2);
    readReals(6, 1);
    readAnswer();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  for (float& r : reals) r = 0.0f;
  answer = 0;
  const fuzzing::Outcome outcome =
      fuzzing::runGuarded(data + 1, size - 1, fuzzing::modeFromByte(data[0]), true,
                          dialoguePattern);
  if (!outcome.exited || outcome.status != 1 || fuzzing::errorLength() < 18 ||
      fuzzing::errorText()[17] != 'F') {
    std::fprintf(stderr, "fuzz finding: the reader ended without a report\n");
    std::abort();
  }
  fuzzing::checkOutcome(outcome);
  return 0;
}
