// Bytes of an input, read in large blocks from a file descriptor or held
// in memory (tests, fuzzing). The readers take one byte at a time.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace orowan::batch {

class ByteSource {
 public:
  // Reads `fd` (not closed here); a read error is thrown as std::runtime_error.
  explicit ByteSource(int fd);
  // Serves `bytes` (which must outlive the source).
  explicit ByteSource(std::string_view bytes);

  // The next byte, or -1 at the end.
  int get() {
    if (position_ == view_.size() && !refill()) return -1;
    return static_cast<unsigned char>(view_[position_++]);
  }
  int peek() {
    if (position_ == view_.size() && !refill()) return -1;
    return static_cast<unsigned char>(view_[position_]);
  }

  // The first byte ahead that is not a blank, a line end or part of a
  // byte order mark, looking no further than the bytes already buffered
  // (a block); -1 when there is none. Consumes nothing.
  int firstNonBlankAhead();

 private:
  int fd_ = -1;
  std::vector<char> buffer_;
  std::string_view view_;
  std::size_t position_ = 0;
  bool ended_ = false;  // read(2) has returned 0

  bool refill();
};

}  // namespace orowan::batch
