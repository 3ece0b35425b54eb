#include "test_support.h"

#include <algorithm>
#include <cstring>

#include "console/platform.h"
#include "console/reader.h"
#include "console/writer.h"

namespace testio {
namespace {

std::string input_, out_, err_;
std::size_t pos_ = 0, chunk_ = 132;
bool terminal_ = false;
int reads_ = 0;

long fakeRead(char* buf, std::size_t max) {
  ++reads_;
  std::size_t n = std::min({max, chunk_, input_.size() - pos_});
  if (terminal_) {
    std::size_t lf = input_.find('\n', pos_);
    if (lf != std::string::npos) n = std::min(n, lf + 1 - pos_);
  }
  std::memcpy(buf, input_.data() + pos_, n);
  pos_ += n;
  return static_cast<long>(n);
}

long fakeWrite(int fd, const char* bytes, std::size_t n) {
  (fd == 2 ? err_ : out_).append(bytes, n);
  return static_cast<long>(n);
}

void fakeExit(int status) { throw ProcessExit{status}; }

}  // namespace

void start(std::string_view input, bool terminal, std::size_t chunk) {
  input_.assign(input);
  out_.clear();
  err_.clear();
  pos_ = 0;
  reads_ = 0;
  chunk_ = chunk;
  terminal_ = terminal;
  console::platform::setHooks({fakeRead, fakeWrite, fakeExit});
  console::openConsoleChannel(terminal);
  console::openConsoleInput(terminal);
}

const std::string& out() { return out_; }
const std::string& err() { return err_; }
int reads() { return reads_; }

void stop() { console::platform::setHooks({}); }

std::string show(std::string_view bytes) {
  std::string s;
  for (unsigned char c : bytes) {
    if (c == '\r') s += "<CR>";
    else if (c == '\n') s += "<LF>";
    else if (c == '\f') s += "<FF>";
    else if (c < 32 || c == 127) s += "<" + std::to_string(c) + ">";
    else s += static_cast<char>(c);
  }
  return s;
}

}  // namespace testio
