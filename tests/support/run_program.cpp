#include "run_program.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace e2e {
namespace {

using Clock = std::chrono::steady_clock;

// A program that neither writes nor ends for this long hangs.
constexpr auto kHangTime = std::chrono::seconds(20);

void check(bool ok, const char* what) {
  if (!ok) throw std::runtime_error(std::string(what) + ": " + std::strerror(errno));
}

void pause(int ms) {
  if (ms > 0) usleep(static_cast<useconds_t>(ms) * 1000);
}

// Execs `command` (the program when null) with SIGPIPE at its default or
// ignored; an ignored disposition survives the exec.
[[noreturn]] void execCommand(const char* const* command, bool ignoreSigpipe) {
  signal(SIGPIPE, ignoreSigpipe ? SIG_IGN : SIG_DFL);
  if (command != nullptr) execv(command[0], const_cast<char* const*>(command));
  else execl(OROWAN_BINARY, OROWAN_BINARY, static_cast<char*>(nullptr));
  _exit(127);
}

// A temporary file holding `bytes`, opened for reading at its start.
int inputFile(std::string_view bytes) {
  char path[] = "/tmp/orowan-input-XXXXXX";
  int fd = mkstemp(path);
  check(fd >= 0, "mkstemp");
  unlink(path);
  check(write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()), "write");
  lseek(fd, 0, SEEK_SET);
  return fd;
}

// True when nothing written to the pipe `fd` is still waiting to be read.
bool pipeIsEmpty(int fd) {
  int queued = 0;
  return ioctl(fd, FIONREAD, &queued) == 0 && queued == 0;
}

// The parent's ends while the program runs: `in` is written from
// `pending` (one byte at a time, each once the last was read, when
// `byteByByte`); `outs` are read into `sinks`.
struct Ends {
  int in = -1;
  std::string_view pending;
  bool byteByByte = false;
  std::string_view typeAfter;  // `in` waits until outs[0] has shown this
  int outs[2] = {-1, -1};
  std::string* sinks[2] = {nullptr, nullptr};
};

// Writes what `in` takes now; closes it when all is sent or the reader
// has gone.
void feed(Ends& e, std::size_t& sent) {
  const std::size_t n = e.byteByByte ? 1 : e.pending.size() - sent;
  const ssize_t done = write(e.in, e.pending.data() + sent, n);
  if (done > 0) sent += static_cast<std::size_t>(done);
  if ((done < 0 && errno != EAGAIN && errno != EINTR) || sent == e.pending.size()) {
    close(e.in);
    e.in = -1;
  }
}

// Moves bytes between the parent's ends until every output has closed;
// throws when the program makes no progress for kHangTime.
void pump(Ends& e) {
  std::size_t sent = 0;
  if (e.in >= 0 && e.pending.empty()) close(e.in), e.in = -1;
  auto lastProgress = Clock::now();
  while (e.outs[0] >= 0 || e.outs[1] >= 0) {
    if (!e.typeAfter.empty() && e.sinks[0]->find(e.typeAfter) != std::string::npos)
      e.typeAfter = {};
    const bool inReady =
        e.in >= 0 && e.typeAfter.empty() && (!e.byteByByte || pipeIsEmpty(e.in));
    pollfd fds[3] = {{e.outs[0], POLLIN, 0}, {e.outs[1], POLLIN, 0},
                     {inReady ? e.in : -1, POLLOUT, 0}};
    // A byte still in the pipe: look again soon whether it has been read.
    const bool inWaits = e.in >= 0 && !inReady && e.typeAfter.empty();
    const int ready = poll(fds, 3, inWaits ? 1 : 200);
    if (ready < 0 && errno != EINTR) check(false, "poll");
    if (ready > 0) lastProgress = Clock::now();
    else if (Clock::now() - lastProgress > kHangTime) throw std::runtime_error("program hangs");
    for (int k = 0; k < 2; ++k) {
      if (e.outs[k] < 0 || fds[k].revents == 0) continue;
      char buf[65536];
      ssize_t n = read(e.outs[k], buf, sizeof buf);
      if (n > 0) e.sinks[k]->append(buf, static_cast<std::size_t>(n));
      else if (n == 0 || errno != EINTR) close(e.outs[k]), e.outs[k] = -1;  // EIO on a pty
    }
    if (e.in >= 0 && fds[2].revents != 0) feed(e, sent);
  }
  if (e.in >= 0) close(e.in);
}

int waitFor(pid_t pid) {
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// Pumps, and ends the program (its process group on a terminal) if it
// hangs, so that a failing test leaves nothing running.
void pumpOrKill(Ends& e, pid_t pid, bool group) {
  try {
    pump(e);
  } catch (...) {
    kill(group ? -pid : pid, SIGKILL);
    waitFor(pid);
    throw;
  }
}

// The program's standard output in the child, as `options` asks.
void setUpOutput(const Options& options, int pipeEnd, int terminal) {
  switch (options.output) {
    case Output::file:
      dup2(open(options.stdoutPath, O_WRONLY | O_CREAT | O_TRUNC, 0600), 1);
      break;
    case Output::closed: close(1); break;
    case Output::readOnly: dup2(open("/dev/null", O_RDONLY), 1); break;
    case Output::hungUpTerminal: dup2(terminal, 1); break;
    default:
      dup2(pipeEnd, 1);
      if (options.nonBlockingStdout) fcntl(1, F_SETFL, fcntl(1, F_GETFL) | O_NONBLOCK);
  }
}

// A terminal whose master side is already closed: every write to it
// fails with EIO.
int hungUpTerminal() {
  int master = -1, slave = -1;
  check(openpty(&master, &slave, nullptr, nullptr, nullptr) == 0, "openpty");
  close(master);
  return slave;
}

}  // namespace

Result run(std::string_view input, const Options& options) {
  signal(SIGPIPE, SIG_IGN);
  int inPipe[2] = {-1, -1}, outPipe[2], errPipe[2];
  check(pipe(outPipe) == 0 && pipe(errPipe) == 0, "pipe");
  int inFd = -1;
  if (options.input != Input::file) check(pipe(inPipe) == 0, "pipe"), inFd = inPipe[0];
  else inFd = inputFile(input);
  // Without a reader before the program starts, its first write meets a
  // closed pipe; closing after the fork would race with its writes.
  if (options.output != Output::pipe) close(outPipe[0]), outPipe[0] = -1;
  const int terminal = options.output == Output::hungUpTerminal ? hungUpTerminal() : -1;
  pid_t pid = fork();
  check(pid >= 0, "fork");
  if (pid == 0) {
    dup2(inFd, 0);
    dup2(errPipe[1], 2);
    setUpOutput(options, outPipe[1], terminal);
    // The parent's ends stay with the parent: an input pipe must reach its
    // end of file, and a closed output pipe must have no reader left.
    if (outPipe[0] >= 0) close(outPipe[0]);
    close(errPipe[0]);
    if (inPipe[1] >= 0) close(inPipe[1]);
    execCommand(nullptr, options.ignoreSigpipe);
  }
  close(inFd);
  close(outPipe[1]);
  close(errPipe[1]);
  if (terminal >= 0) close(terminal);
  pause(options.readerDelayMs);
  Result result;
  Ends ends;
  ends.in = options.input == Input::file ? -1 : inPipe[1];
  ends.pending = input;
  ends.byteByByte = options.input == Input::pipeByteByByte;
  ends.outs[0] = outPipe[0];
  ends.outs[1] = errPipe[0];
  ends.sinks[0] = &result.out;
  ends.sinks[1] = &result.err;
  pumpOrKill(ends, pid, false);
  result.status = waitFor(pid);
  return result;
}

namespace {

// The terminal's mode: canonical lines, no echo, no signals, no output
// translation.
termios terminalMode() {
  termios mode = {};
  mode.c_iflag = 0;
  mode.c_oflag = 0;  // no output translation: the bytes as written
  mode.c_lflag = ICANON;  // lines, no echo, no signals
  mode.c_cflag = CS8 | CREAD;
  for (cc_t& c : mode.c_cc) c = _POSIX_VDISABLE;
  mode.c_cc[VEOF] = 4;
  mode.c_cc[VMIN] = 1;
  cfsetspeed(&mode, B38400);
  return mode;
}

// In the terminal's session: waits until the terminal holds `count`
// bytes of complete lines (the master's writes reach it a moment later).
void awaitTypedLines(std::size_t count) {
  for (int tries = 0; tries < 5000; ++tries) {
    int queued = 0;
    if (ioctl(0, FIONREAD, &queued) == 0 && static_cast<std::size_t>(queued) >= count) return;
    usleep(1000);
  }
}

// What a next reader of the terminal finds at once: every complete line
// still queued.
std::string drainTerminal() {
  fcntl(0, F_SETFL, fcntl(0, F_GETFL) | O_NONBLOCK);
  std::string found;
  char buf[4096];
  for (ssize_t n; (n = read(0, buf, sizeof buf)) > 0;)
    found.append(buf, static_cast<std::size_t>(n));
  return found;
}

// The terminal session's first process with typeAhead: waits for the
// typed lines, runs the program, then reads the terminal as a shell would
// after it and hands over what it found; ends with the program's status.
[[noreturn]] void runThenRead(const TerminalOptions& options, std::size_t typed, int go,
                              int leftover) {
  char byte;
  while (read(go, &byte, 1) < 0 && errno == EINTR) {
  }
  awaitTypedLines(typed);
  const pid_t program = fork();
  if (program == 0) execCommand(options.command, false);
  const int status = waitFor(program);
  const std::string found = drainTerminal();
  if (write(leftover, found.data(), found.size()) < 0) _exit(126);
  _exit(status);
}

// Reads all of the pipe `fd` and closes it.
std::string readAll(int fd) {
  std::string bytes;
  char buf[4096];
  for (ssize_t n; (n = read(fd, buf, sizeof buf)) > 0;)
    bytes.append(buf, static_cast<std::size_t>(n));
  close(fd);
  return bytes;
}

}  // namespace

Result runOnTerminal(std::string_view typed, const TerminalOptions& options) {
  int errPipe[2], goPipe[2] = {-1, -1}, leftPipe[2] = {-1, -1};
  check(pipe(errPipe) == 0, "pipe");
  if (options.typeAhead) check(pipe(goPipe) == 0 && pipe(leftPipe) == 0, "pipe");
  termios mode = terminalMode();
  winsize size = {24, 200, 0, 0};
  int master = -1;
  pid_t pid = forkpty(&master, nullptr, &mode, &size);
  check(pid >= 0, "forkpty");
  if (pid == 0) {
    dup2(errPipe[1], 2);
    close(errPipe[0]);
    for (const char* const* v = options.environment; v != nullptr && *v != nullptr; ++v)
      putenv(const_cast<char*>(*v));
    if (options.nonBlocking) fcntl(0, F_SETFL, fcntl(0, F_GETFL) | O_NONBLOCK);
    if (!options.typeAhead) execCommand(options.command, false);
    close(goPipe[1]);
    close(leftPipe[0]);
    runThenRead(options, typed.size(), goPipe[0], leftPipe[1]);
  }
  close(errPipe[1]);
  Result result;
  Ends ends;
  // The master is both ends: typed lines go in, the program's bytes come out.
  ends.in = dup(master);
  ends.pending = typed;
  if (options.typeAhead) {
    close(goPipe[0]);
    close(leftPipe[1]);
    check(write(ends.in, typed.data(), typed.size()) == static_cast<ssize_t>(typed.size()), "type");
    close(goPipe[1]);  // the program may start
    ends.pending = {};
  }
  pause(options.typingDelayMs);
  ends.typeAfter = options.typeAfter;
  ends.outs[0] = master;
  ends.outs[1] = errPipe[0];
  ends.sinks[0] = &result.out;
  ends.sinks[1] = &result.err;
  pumpOrKill(ends, pid, true);
  result.status = waitFor(pid);
  if (options.typeAhead) result.leftover = readAll(leftPipe[0]);
  return result;
}

std::string readData(const char* name) {
  std::ifstream file(std::string(OROWAN_TEST_DATA) + "/" + name, std::ios::binary);
  if (!file) throw std::runtime_error(std::string("missing test data ") + name);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

}  // namespace e2e
