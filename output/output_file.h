// Where a tool's results go: standard output, or a file that is written
// whole or not at all, without harm to what the name stands for.
//
// A regular file, or a name that does not exist, is written under a
// temporary name beside it and renamed into place when the run ends well
// (a regular file keeps its mode, and its owner where that can be set); a
// symbolic link is followed and its target written so; a character device
// or a FIFO is written directly. On an error, or a signal that ends the
// process (see removeTemporariesOnSignal), the temporary is removed, so an
// interrupted run never leaves a partial result under the final name.
#pragma once

#include <sys/stat.h>

#include <string>
#include <string_view>

namespace orowan::output {

// What an output's name stands for.
struct OutputTarget {
  enum class Kind {
    standardOutput,  // "" or "-"
    absent,          // created by rename
    regular,         // replaced by rename
    direct,          // a character device or FIFO, written directly
    refused,         // a directory or another kind of file: `problem` says
  };
  Kind kind = Kind::standardOutput;
  std::string path;     // the file written: a symbolic link's final target
  bool exists = false;
  struct stat status {};  // of `path`, when it exists
  std::string problem;  // why a refused name cannot be written
};

// Looks `path` up without changing anything: links are followed, a link
// that leads nowhere gives the absent name it leads to.
OutputTarget resolveOutput(const std::string& path);

// What names the same file for every spelling of it (any path, any
// link), to compare the files a run reads and writes.
struct FileIdentity {
  std::string file;    // device and inode when it exists, else `folder`/`name`
  std::string folder;  // the same for the folder it is in ("" for a descriptor)
  std::string name;    // its name in that folder, links followed
  mode_t type = 0;     // S_IFREG, S_IFCHR ...; 0 when it does not exist
};

// `path` as an output would resolve it; "" or "-": the file open on
// descriptor `standard`.
FileIdentity identifyFile(const std::string& path, int standard = 1);

// Buffered writes to a file descriptor; a failed write throws
// std::runtime_error naming the output.
class OutputFile {
 public:
  // "" or "-": standard output. Otherwise see the file comment; throws
  // std::runtime_error naming `path` when it cannot be written.
  explicit OutputFile(const std::string& path);
  // An open descriptor (not closed here), named `name` in messages.
  OutputFile(int fd, std::string name) : path_(std::move(name)), fd_(fd) {}
  // The bytes appended to `*memory` instead of a file (the web page's run,
  // which hands them to its script), named `name` in messages.
  OutputFile(std::string* memory, std::string name) : path_(std::move(name)), fd_(-1), memory_(memory) {}
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
  // Flushes and, for a temporary, renames it to the final name.
  void commit();
  const std::string& name() const { return path_; }
  // Where a further temporary of this output may go (a name to add a
  // suffix to): beside the final file, or in the temporary folder for a
  // device, FIFO or standard output.
  std::string scratchStem() const;

 private:
  static constexpr std::size_t kFlushSize = 1 << 16;
  void openTemporary(const OutputTarget& target);
  void openDirect(const OutputTarget& target);

  std::string path_;       // as given, for messages
  std::string final_;      // the rename's destination
  std::string temporary_;
  int fd_ = 1;
  bool ownsFd_ = false;    // a device or FIFO opened here
  int slot_ = -1;  // the temporary's place in the signal handler's list
  std::string* memory_ = nullptr;
  std::string buffer_;
};

// SIGHUP, SIGINT, SIGQUIT, SIGPIPE, SIGTERM and SIGXFSZ remove the
// temporaries, then end the process by the signal's default action; a
// signal that was ignored at start stays ignored. Call once at start.
void removeTemporariesOnSignal();

// Descriptors 0, 1 and 2 that are not open are opened on /dev/null, so
// that no file the tool opens takes their place. Call first in main().
void openStandardDescriptors();

// `text` for a message: control bytes (NUL among them) as \xHH, so that
// a message is one line and cannot drive a terminal.
std::string printable(std::string_view text);

// The tools' version, CMake's project VERSION: "1.0".
const char* version();

}  // namespace orowan::output
