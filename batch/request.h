// From an input line (and a sweep case) to the analysis's input: each
// value text read as the console reads a typed REAL, defaults for absent
// optional columns, the entry thickness taken over from the line before,
// and the SI conversion.
#pragma once

#include <vector>

#include "batch/input.h"
#include "batch/job.h"
#include "batch/sweep.h"

namespace batch {

// The exit thickness of the line before, one per sweep case, for the
// lines that leave H1 empty (a strip through several passes).
class Schedule {
 public:
  explicit Schedule(long cases) : exit_(static_cast<std::size_t>(cases)), known_(static_cast<std::size_t>(cases)) {}
  bool first() const { return first_; }
  bool known(long c) const { return known_[static_cast<std::size_t>(c)]; }
  float exitThickness(long c) const { return exit_[static_cast<std::size_t>(c)]; }
  void set(long c, bool known, float exit) {
    known_[static_cast<std::size_t>(c)] = known;
    exit_[static_cast<std::size_t>(c)] = exit;
  }
  void lineDone() { first_ = false; }

 private:
  std::vector<float> exit_;
  std::vector<bool> known_;
  bool first_ = true;
};

// Fills `job` for case `caseIndex` (0-based) of `line`; the job's
// `readable` tells whether the pass can be solved, `problem` why not.
void prepareJob(const InputLine& line, const Sweep& sweep, long caseIndex, Units units,
                Schedule& schedule, PassJob& job);

}  // namespace batch
