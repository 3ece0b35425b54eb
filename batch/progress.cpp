#include "batch/progress.h"

namespace orowan::batch {

Progress::Progress(bool enabled, long total, std::FILE* terminal)
    : enabled_(enabled), total_(total), terminal_(terminal) {}

// The clock is read every 64 passes; the line is rewritten at most five
// times a second.
void Progress::passDone() {
  ++done_;
  if (!enabled_ || done_ % 64 != 0) return;
  const Clock::time_point now = Clock::now();
  const double seconds = std::chrono::duration<double>(now - start_).count();
  if (seconds < 1.0 || now - lastShown_ < std::chrono::milliseconds(200)) return;
  lastShown_ = now;
  show(seconds);
}

void Progress::show(double seconds) {
  const double rate = static_cast<double>(done_) / seconds;
  if (total_ >= 0) {
    const double left = rate > 0 ? static_cast<double>(total_ - done_) / rate : 0;
    std::fprintf(terminal_, "\r%ld of %ld passes, %.0f passes/s, %.0f s left\033[K", done_, total_,
                 rate, left);
  } else {
    std::fprintf(terminal_, "\r%ld passes, %.0f passes/s\033[K", done_, rate);
  }
  std::fflush(terminal_);
  shown_ = true;
}

void Progress::finish() {
  if (!shown_) return;
  std::fputs("\r\033[K", terminal_);
  std::fflush(terminal_);
  shown_ = false;
}

}  // namespace orowan::batch
