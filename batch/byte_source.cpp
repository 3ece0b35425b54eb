#include "batch/byte_source.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace orowan::batch {

ByteSource::ByteSource(int fd) : fd_(fd), buffer_(1 << 16) {}

ByteSource::ByteSource(std::string_view bytes) : view_(bytes) {}

// One read(2) of up to a block; an interrupted read is retried.
bool ByteSource::refill() {
  if (fd_ < 0 || ended_) return false;
  for (;;) {
    const ssize_t n = ::read(fd_, buffer_.data(), buffer_.size());
    if (n > 0) {
      view_ = std::string_view(buffer_.data(), static_cast<std::size_t>(n));
      position_ = 0;
      return true;
    }
    // The end stays the end: a terminal gives one end of input per Ctrl-D,
    // and asking again would wait for a second one.
    if (n == 0) return ended_ = true, false;
    if (errno != EINTR) throw std::runtime_error(std::strerror(errno));
  }
}

int ByteSource::firstNonBlankAhead() {
  if (peek() < 0) return -1;
  for (std::size_t i = position_; i < view_.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(view_[i]);
    const bool mark = c == 0xEF || c == 0xBB || c == 0xBF;
    if (c != ' ' && c != '\t' && c != '\r' && c != '\n' && !mark) return c;
  }
  return -1;
}

}  // namespace orowan::batch
