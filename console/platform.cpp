// The system calls of the program, and the hooks that let tests replace them.
#include "console/platform.h"

#include <cerrno>
#include <csignal>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace orowan::console::platform {
namespace {

Hooks hooks;
void (*faultHandler)(int code) = nullptr;
// The first failure of each standard descriptor; `done` while none.
WriteStatus failures[3] = {WriteStatus::done, WriteStatus::done, WriteStatus::done};

// Waits until `fd` is ready for `events`. An interrupted or failed wait
// returns too: the retried call then tells what the descriptor is up to.
void awaitReady(int fd, short events) {
  pollfd watched = {fd, events, 0};
  ::poll(&watched, 1, -1);
}

bool wouldBlock(int error) { return error == EAGAIN || error == EWOULDBLOCK; }

long systemRead(char* buf, std::size_t max) {
  for (;;) {
    const ssize_t n = ::read(0, buf, max);
    if (n >= 0) return static_cast<long>(n);
    if (wouldBlock(errno)) awaitReady(0, POLLIN);
    else if (errno != EINTR) return -1;
  }
}

long systemWrite(int fd, const char* bytes, std::size_t n) {
  for (;;) {
    const ssize_t done = ::write(fd, bytes, n);
    if (done >= 0) return static_cast<long>(done);
    if (wouldBlock(errno)) awaitReady(fd, POLLOUT);
    else if (errno != EINTR) return -1;
  }
}

// A full device, an exhausted quota, denied access or a locked region: the
// failures reported as refusals; every other one is a plain failure.
bool isRefusal(int error) {
  return error == ENOSPC || error == EDQUOT || error == EACCES || error == EPERM ||
         error == ENOLCK;
}

void onSignal(int, siginfo_t* info, void*) { faultHandler(info->si_code); }

}  // namespace

long readInput(char* buf, std::size_t max) {
  long n = hooks.read ? hooks.read(buf, max) : systemRead(buf, max);
  return n < 0 ? -1 : n;
}

// A descriptor that failed once is not tried again: the process end may
// still want to close a line on the output that just failed.
WriteStatus writeBytes(int fd, const char* bytes, std::size_t n) {
  WriteStatus* failure = fd >= 0 && fd < 3 ? &failures[fd] : nullptr;
  if (failure != nullptr && *failure != WriteStatus::done) return *failure;
  while (n > 0) {
    errno = 0;
    long done = hooks.write ? hooks.write(fd, bytes, n) : systemWrite(fd, bytes, n);
    if (done <= 0) {
      const WriteStatus status = isRefusal(errno) ? WriteStatus::refused : WriteStatus::failed;
      if (failure != nullptr) *failure = status;
      return status;
    }
    bytes += done;
    n -= static_cast<std::size_t>(done);
  }
  return WriteStatus::done;
}

WriteStatus outputStatus() { return failures[1]; }

bool isTerminal(int fd) { return ::isatty(fd) == 1; }

// A background process touching the terminal would be stopped, and the
// typed lines are not its own: only the foreground discards them.
void discardTypedInput() {
  if (hooks.read != nullptr || !isTerminal(0) || ::tcgetpgrp(0) != ::getpgrp()) return;
  ::tcflush(0, TCIFLUSH);
}

void exitProcess(int status) {
  if (hooks.exit) hooks.exit(status);
  ::_exit(status);
}

void installFaultHandler(void (*onFault)(int code)) {
  faultHandler = onFault;
  struct sigaction action = {};
  action.sa_sigaction = onSignal;
  action.sa_flags = SA_SIGINFO;
  sigemptyset(&action.sa_mask);
  sigaction(SIGFPE, &action, nullptr);
}

void setHooks(const Hooks& replacement) {
  hooks = replacement;
  for (WriteStatus& failure : failures) failure = WriteStatus::done;
}

}  // namespace orowan::console::platform
