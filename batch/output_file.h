// Where the results go: standard output, or a file that is written whole
// or not at all. A file is written under a temporary name beside it and
// renamed into place when the run ends well; on an error, SIGINT or
// SIGTERM the temporary is removed, so an interrupted run never leaves a
// partial result under the final name.
#pragma once

#include <string>

namespace orowan::batch {

// Buffered writes to a file descriptor; a failed write throws
// std::runtime_error naming the output.
class OutputFile {
 public:
  // "" or "-": standard output. Otherwise a temporary beside `path`.
  explicit OutputFile(const std::string& path);
  // An open descriptor (not closed here), named `name` in messages.
  OutputFile(int fd, std::string name) : path_(std::move(name)), fd_(fd) {}
  ~OutputFile();  // removes the temporary unless committed
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  void write(const char* bytes, std::size_t size) {
    buffer_.append(bytes, size);
    if (buffer_.size() >= kFlushSize) flush();
  }
  void write(std::string_view text) { write(text.data(), text.size()); }
  void put(char c) {
    buffer_.push_back(c);
    if (buffer_.size() >= kFlushSize) flush();
  }

  void flush();
  // Flushes and, for a file, renames the temporary to the final name.
  void commit();
  const std::string& name() const { return path_; }

 private:
  static constexpr std::size_t kFlushSize = 1 << 16;
  std::string path_;
  std::string temporary_;
  int fd_ = 1;
  int slot_ = -1;  // the temporary's place in the signal handler's list
  std::string buffer_;
};

// SIGINT and SIGTERM remove the temporaries, then end the process by the
// signal's default action. Call once at start.
void removeTemporariesOnSignal();

}  // namespace orowan::batch
