// Progress on standard error while a run lasts: passes done (of the total
// when it is known), passes per second and the time left, on one line
// rewritten in place. Shown only on a terminal, and only once the run has
// lasted a second; the line is cleared at the end.
#pragma once

#include <chrono>
#include <cstdio>

namespace orowan::batch {

class Progress {
 public:
  // `total` below 0: not known.
  Progress(bool enabled, long total, std::FILE* terminal = stderr);
  void passDone();
  void finish();

 private:
  using Clock = std::chrono::steady_clock;
  bool enabled_;
  long total_;
  std::FILE* terminal_;
  long done_ = 0;
  bool shown_ = false;
  Clock::time_point start_ = Clock::now();
  Clock::time_point lastShown_ = start_;

  void show(double seconds);
};

}  // namespace orowan::batch
