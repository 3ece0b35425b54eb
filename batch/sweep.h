// Sweeps: --vary NAME=FROM:TO:STEP over input columns, their Cartesian
// product applied to every input line. The first --vary is the outermost
// loop: its value changes slowest, the last one's fastest.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace orowan::batch {

inline constexpr long kMaxValuesPerVary = 10000;
inline constexpr long kMaxCasesPerLine = 1000000;

struct Vary {
  int column = -1;                  // InputIndex
  std::vector<std::string> texts;   // FROM, FROM + STEP, ... up to TO, as decimal texts
  std::vector<float> values;        // each text as the console reads it
};

class Sweep {
 public:
  // Adds one --vary argument; returns "" or what is wrong with it.
  std::string add(std::string_view argument);

  bool empty() const { return varies_.empty(); }
  long caseCount() const;  // 1 without a sweep
  const std::vector<Vary>& varies() const { return varies_; }

  // Whether `column` is varied, and its value text and value in case
  // `caseIndex` (0-based, below caseCount()).
  const Vary* varyOf(int column) const;
  std::size_t valueIndex(const Vary& vary, long caseIndex) const;

 private:
  std::vector<Vary> varies_;
};

}  // namespace orowan::batch
