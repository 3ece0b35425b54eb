#include "run_program.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace e2e {
namespace {

void check(bool ok, const char* what) {
  if (!ok) throw std::runtime_error(std::string(what) + ": " + std::strerror(errno));
}

[[noreturn]] void execProgram() {
  signal(SIGPIPE, SIG_DFL);
  execl(OROWAN_BINARY, OROWAN_BINARY, static_cast<char*>(nullptr));
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

// Moves bytes between the parent's ends until every output has closed:
// `in` is written from `pending`, `outs` are read into `sinks`.
void pump(int in, std::string_view pending, int outs[2], std::string* sinks[2]) {
  std::size_t sent = 0;
  if (in >= 0 && pending.empty()) close(in), in = -1;
  while (outs[0] >= 0 || outs[1] >= 0) {
    pollfd fds[3] = {{outs[0], POLLIN, 0}, {outs[1], POLLIN, 0}, {in, POLLOUT, 0}};
    if (poll(fds, 3, 20000) <= 0) throw std::runtime_error("program hangs");
    for (int k = 0; k < 2; ++k) {
      if (outs[k] < 0 || fds[k].revents == 0) continue;
      char buf[65536];
      ssize_t n = read(outs[k], buf, sizeof buf);
      if (n > 0) sinks[k]->append(buf, static_cast<std::size_t>(n));
      else close(outs[k]), outs[k] = -1;  // end of file, or EIO on a pty
    }
    if (in >= 0 && fds[2].revents != 0) {
      ssize_t n = write(in, pending.data() + sent, pending.size() - sent);
      if (n > 0) sent += static_cast<std::size_t>(n);
      if (n <= 0 || sent == pending.size()) close(in), in = -1;
    }
  }
  if (in >= 0) close(in);
}

int waitFor(pid_t pid) {
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace

Result run(std::string_view input, const Options& options) {
  signal(SIGPIPE, SIG_IGN);
  int inPipe[2] = {-1, -1}, outPipe[2], errPipe[2];
  check(pipe(outPipe) == 0 && pipe(errPipe) == 0, "pipe");
  int inFd = -1;
  if (options.input == Input::pipe) check(pipe(inPipe) == 0, "pipe"), inFd = inPipe[0];
  else inFd = inputFile(input);
  // Without a reader before the program starts, its first write meets a
  // closed pipe; closing after the fork would race with its writes.
  if (options.closeStdout || options.stdoutPath) close(outPipe[0]), outPipe[0] = -1;
  pid_t pid = fork();
  check(pid >= 0, "fork");
  if (pid == 0) {
    dup2(inFd, 0);
    if (options.stdoutPath) dup2(open(options.stdoutPath, O_WRONLY | O_CREAT | O_TRUNC, 0600), 1);
    else dup2(outPipe[1], 1);
    dup2(errPipe[1], 2);
    // The parent's ends stay with the parent: an input pipe must reach its
    // end of file, and a closed output pipe must have no reader left.
    if (outPipe[0] >= 0) close(outPipe[0]);
    close(errPipe[0]);
    if (inPipe[1] >= 0) close(inPipe[1]);
    execProgram();
  }
  close(inFd);
  close(outPipe[1]);
  close(errPipe[1]);
  Result result;
  int outs[2] = {outPipe[0], errPipe[0]};
  std::string* sinks[2] = {&result.out, &result.err};
  pump(options.input == Input::pipe ? inPipe[1] : -1, input, outs, sinks);
  result.status = waitFor(pid);
  return result;
}

Result runOnTerminal(std::string_view typed) {
  int errPipe[2];
  check(pipe(errPipe) == 0, "pipe");
  termios mode = {};
  mode.c_iflag = 0;
  mode.c_oflag = 0;  // no output translation: the bytes as written
  mode.c_lflag = ICANON;  // lines, no echo, no signals
  mode.c_cflag = CS8 | CREAD;
  for (cc_t& c : mode.c_cc) c = _POSIX_VDISABLE;
  mode.c_cc[VEOF] = 4;
  mode.c_cc[VMIN] = 1;
  cfsetspeed(&mode, B38400);
  winsize size = {24, 200, 0, 0};
  int master = -1;
  pid_t pid = forkpty(&master, nullptr, &mode, &size);
  check(pid >= 0, "forkpty");
  if (pid == 0) {
    dup2(errPipe[1], 2);
    execProgram();
  }
  close(errPipe[1]);
  Result result;
  // The master is both ends: typed lines go in, the program's bytes come out.
  int writer = dup(master);
  int outs[2] = {master, errPipe[0]};
  std::string* sinks[2] = {&result.out, &result.err};
  pump(writer, typed, outs, sinks);
  result.status = waitFor(pid);
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
