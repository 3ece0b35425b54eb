// Runs the built orowan-batch (or the console program) as a user would,
// and collects what it wrote.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace batchtest {

struct ToolResult {
  std::string out;  // standard output
  std::string err;  // standard error (with stderrOnTerminal: what the terminal showed)
  int status = -1;  // exit status, or 128 + signal number
};

struct RunOptions {
  std::string_view input;         // standard input, from a file holding these bytes
  bool stderrOnTerminal = false;  // standard error on a pseudo-terminal
  const char* binary = OROWAN_BATCH_BINARY;
};

ToolResult runTool(const std::vector<std::string>& args, const RunOptions& options = {});

// A fresh directory under /tmp, removed with everything in it when destroyed.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  std::string path(std::string_view name) const { return dir_ + "/" + std::string(name); }
  // Writes `bytes` to `name` in the directory; returns its path.
  std::string write(std::string_view name, std::string_view bytes) const;
  std::vector<std::string> files() const;  // sorted

 private:
  std::string dir_;
};

std::string readFile(const std::string& path);

// The CSV result lines' values in the named column (header excluded;
// fields without quotes, as the numeric and status columns are).
std::vector<std::string> columnOf(const std::string& csv, std::string_view name);

// Three lines, the middle one bad: `good`, `bad`, `good` as CSV lines under
// `header`, or as the objects of a JSON array when `header` is empty. Expects
// one message on standard error, "<file>:<line of bad>: <message>", exit
// status 1, the statuses ok, error, ok, and the good lines' rolling force
// (not empty, the same for both). `args` go after the file name.
void expectBadMiddleLine(const std::string& header, const std::string& good, const std::string& bad,
                         const std::string& message, const std::vector<std::string>& args = {});

}  // namespace batchtest
