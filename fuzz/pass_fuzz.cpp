// Fuzz target: whole passes of the program from arbitrary input bytes,
// under the program's floating-point traps. A fault in the analysis must
// end as a run-time error report (the fault handler's process end jumps
// back here); anything else that ends the run is a finding.
#include <cstdint>

#include "analysis/record.h"
#include "harness.h"
#include "program/dialogue.h"

namespace {

[[noreturn]] void dialogue() { orowan::runDialogue(); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  // A fresh record, as at program start, so that a finding reproduces
  // from its input alone.
  orowan::rec = orowan::AnalysisRecord{};
  const fuzzing::Outcome outcome =
      fuzzing::runGuarded(data + 1, size - 1, fuzzing::modeFromByte(data[0]), true, dialogue);
  fuzzing::checkOutcome(outcome);
  return 0;
}
