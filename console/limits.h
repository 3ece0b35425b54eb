// The console's fixed sizes.
#pragma once

namespace orowan::console {

// One console record: the longest read of standard input, the longest
// piece of a written record.
constexpr int kRecordSize = 132;

// The longest value text the reader holds; a longer one is error 6408.
constexpr int kMaxValueText = 256;

}  // namespace orowan::console
