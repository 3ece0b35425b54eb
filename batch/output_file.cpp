// Temporary files beside their final names, and the signal handler that
// removes them: it may only use async-signal-safe calls, so the names sit
// in fixed buffers claimed with atomics.
#include "batch/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace orowan::batch {
namespace {

constexpr int kSlots = 4;
constexpr std::size_t kPathSize = 4096;
char temporaryNames[kSlots][kPathSize];
std::atomic<bool> slotUsed[kSlots];

int claimSlot(const std::string& name) {
  if (name.size() >= kPathSize) return -1;
  for (int i = 0; i < kSlots; ++i) {
    bool expected = false;
    if (slotUsed[i].load() || !slotUsed[i].compare_exchange_strong(expected, true)) continue;
    std::memcpy(temporaryNames[i], name.c_str(), name.size() + 1);
    return i;
  }
  return -1;
}

void releaseSlot(int slot) {
  if (slot >= 0) slotUsed[slot].store(false);
}

void onTerminatingSignal(int signal) {
  for (int i = 0; i < kSlots; ++i) {
    if (slotUsed[i].load()) ::unlink(temporaryNames[i]);
  }
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

[[noreturn]] void fail(const std::string& what, const std::string& name) {
  throw std::runtime_error(name + ": " + what + ": " + std::strerror(errno));
}

}  // namespace

// The temporary has the final name's directory, so the rename stays on
// one file system; it gets the mode a new file would get.
OutputFile::OutputFile(const std::string& path) : path_(path == "-" ? "" : path) {
  if (path_.empty()) return;
  temporary_ = path_ + ".tmp-XXXXXX";
  fd_ = ::mkstemp(temporary_.data());
  if (fd_ < 0) fail("cannot create a temporary file beside it", path_);
  slot_ = claimSlot(temporary_);
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd_, 0666 & ~mask);
}

OutputFile::~OutputFile() {
  if (temporary_.empty()) return;
  ::close(fd_);
  ::unlink(temporary_.c_str());
  releaseSlot(slot_);
}

void OutputFile::flush() {
  std::size_t done = 0;
  while (done < buffer_.size()) {
    const ssize_t n = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) fail("cannot write", path_.empty() ? "standard output" : path_);
    done += static_cast<std::size_t>(n);
  }
  buffer_.clear();
}

void OutputFile::commit() {
  flush();
  if (temporary_.empty()) return;
  if (::close(fd_) != 0) fail("cannot write", path_);
  fd_ = -1;
  if (::rename(temporary_.c_str(), path_.c_str()) != 0) fail("cannot rename the temporary file to it", path_);
  temporary_.clear();
  releaseSlot(slot_);
}

void removeTemporariesOnSignal() {
  struct sigaction action = {};
  action.sa_handler = onTerminatingSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

}  // namespace orowan::batch
