// The system calls of the program, and the hooks that let tests replace them.
#include "console/platform.h"

#include <cerrno>
#include <csignal>
#include <unistd.h>

namespace console::platform {
namespace {

Hooks hooks;
void (*faultHandler)(int code) = nullptr;

long systemRead(char* buf, std::size_t max) {
  for (;;) {
    ssize_t n = ::read(0, buf, max);
    if (n >= 0 || errno != EINTR) return static_cast<long>(n);
  }
}

long systemWrite(int fd, const char* bytes, std::size_t n) {
  for (;;) {
    ssize_t done = ::write(fd, bytes, n);
    if (done >= 0 || errno != EINTR) return static_cast<long>(done);
  }
}

// A full device, an exhausted quota, denied access or a locked region: the
// failures that the console reports instead of ignoring.
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

WriteStatus writeBytes(int fd, const char* bytes, std::size_t n) {
  while (n > 0) {
    errno = 0;
    long done = hooks.write ? hooks.write(fd, bytes, n) : systemWrite(fd, bytes, n);
    if (done <= 0) return isRefusal(errno) ? WriteStatus::refused : WriteStatus::failed;
    bytes += done;
    n -= static_cast<std::size_t>(done);
  }
  return WriteStatus::done;
}

bool isTerminal(int fd) { return ::isatty(fd) == 1; }

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

void setHooks(const Hooks& replacement) { hooks = replacement; }

}  // namespace console::platform
