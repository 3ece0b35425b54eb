#include "run_tool.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace batchtest {
namespace {

void check(bool ok, const char* what) {
  if (!ok) throw std::runtime_error(std::string(what) + ": " + std::strerror(errno));
}

// A temporary file holding `bytes`, open for reading at its start.
int inputFile(std::string_view bytes) {
  char path[] = "/tmp/orowan-batch-input-XXXXXX";
  const int fd = mkstemp(path);
  check(fd >= 0, "mkstemp");
  unlink(path);
  check(write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()), "write");
  lseek(fd, 0, SEEK_SET);
  return fd;
}

// Reads both ends until both are closed (a terminal reports EIO instead).
void drain(int outFd, int errFd, ToolResult& result) {
  pollfd fds[2] = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}};
  std::string* sinks[2] = {&result.out, &result.err};
  int open = 2;
  char buffer[65536];
  while (open > 0) {
    check(poll(fds, 2, -1) >= 0 || errno == EINTR, "poll");
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
      if (n > 0) sinks[i]->append(buffer, static_cast<std::size_t>(n));
      if (n <= 0 && !(n < 0 && errno == EINTR)) close(fds[i].fd), fds[i].fd = -1, --open;
    }
  }
}

}  // namespace

ToolResult runTool(const std::vector<std::string>& args, const RunOptions& options) {
  int out[2], err[2];
  check(pipe(out) == 0, "pipe");
  if (options.stderrOnTerminal) check(openpty(&err[0], &err[1], nullptr, nullptr, nullptr) == 0, "openpty");
  else check(pipe(err) == 0, "pipe");
  const int in = inputFile(options.input);
  const pid_t pid = fork();
  check(pid >= 0, "fork");
  if (pid == 0) {
    dup2(in, 0), dup2(out[1], 1), dup2(err[1], 2);
    close(in), close(out[0]), close(out[1]), close(err[0]), close(err[1]);
    std::vector<char*> argv{const_cast<char*>(options.binary)};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(options.binary, argv.data());
    _exit(127);
  }
  close(in), close(out[1]), close(err[1]);
  ToolResult result;
  drain(out[0], err[0], result);
  int status = 0;
  check(waitpid(pid, &status, 0) == pid, "waitpid");
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return result;
}

TempDir::TempDir() {
  char path[] = "/tmp/orowan-batch-test-XXXXXX";
  check(mkdtemp(path) != nullptr, "mkdtemp");
  dir_ = path;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(dir_, ignored);
}

std::string TempDir::write(std::string_view name, std::string_view bytes) const {
  const std::string file = path(name);
  std::ofstream(file, std::ios::binary) << bytes;
  return file;
}

std::vector<std::string> TempDir::files() const {
  std::vector<std::string> names;
  if (DIR* d = opendir(dir_.c_str())) {
    while (const dirent* entry = readdir(d)) {
      if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) names.push_back(entry->d_name);
    }
    closedir(d);
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string readFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

std::vector<std::string> columnOf(const std::string& csv, std::string_view name) {
  std::istringstream lines(csv);
  std::string line;
  std::getline(lines, line);
  std::vector<std::string> header;
  std::istringstream fields(line);
  for (std::string field; std::getline(fields, field, ',');) header.push_back(field);
  std::size_t index = 0;
  while (index < header.size() && header[index] != name) ++index;
  if (index == header.size()) throw std::runtime_error("no column " + std::string(name));
  std::vector<std::string> values;
  while (std::getline(lines, line)) {
    std::vector<std::string> cells;
    std::istringstream row(line);
    for (std::string cell; std::getline(row, cell, ',');) cells.push_back(cell);
    values.push_back(index < cells.size() ? cells[index] : "");
  }
  return values;
}

void expectBadMiddleLine(const std::string& header, const std::string& good, const std::string& bad,
                         const std::string& message, const std::vector<std::string>& args) {
  const bool json = header.empty();
  TempDir dir;
  const std::string path = json ? dir.write("p.json", "[" + good + ",\n" + bad + ",\n" + good + "]\n")
                                : dir.write("p.csv", header + good + bad + good);
  std::vector<std::string> all{path};
  all.insert(all.end(), args.begin(), args.end());
  const ToolResult r = runTool(all);
  EXPECT_EQ(r.err, path + (json ? ":2: " : ":3: ") + message + "\n") << bad;
  EXPECT_EQ(r.status, 1) << bad;
  EXPECT_EQ(columnOf(r.out, "status"), (std::vector<std::string>{"ok", "error", "ok"})) << bad;
  const std::vector<std::string> force = columnOf(r.out, "ROLLING_FORCE");
  EXPECT_NE(force[0], "") << bad;
  EXPECT_EQ(force[1], "") << bad;
  EXPECT_EQ(force[2], force[0]) << bad;
}

}  // namespace batchtest
