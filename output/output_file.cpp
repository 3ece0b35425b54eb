// Output files, and the signal handler that removes their temporaries: it
// may only use async-signal-safe calls, so the names sit in fixed buffers
// claimed with atomics.
#include "output/output_file.h"

#include <fcntl.h>
#include <limits.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace orowan::output {
namespace {

// Enough for every output a run has open at once (result, steps, page,
// picture), with room to spare.
constexpr int kSlots = 8;
constexpr std::size_t kPathSize = 4096;
char temporaryNames[kSlots][kPathSize];
// 0 free, 1 being filled, 2 a name the handler may remove.
std::atomic<int> slotState[kSlots];

int claimSlot(const std::string& name) {
  if (name.size() >= kPathSize) return -1;
  for (int i = 0; i < kSlots; ++i) {
    int expected = 0;
    if (!slotState[i].compare_exchange_strong(expected, 1)) continue;
    std::memcpy(temporaryNames[i], name.c_str(), name.size() + 1);
    slotState[i].store(2);
    return i;
  }
  return -1;
}

void releaseSlot(int slot) {
  if (slot >= 0) slotState[slot].store(0);
}

void onTerminatingSignal(int signal) {
  for (int i = 0; i < kSlots; ++i) {
    if (slotState[i].load() == 2) ::unlink(temporaryNames[i]);
  }
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

[[noreturn]] void fail(const std::string& what, const std::string& name) {
  throw std::runtime_error(name + ": " + what + ": " + std::strerror(errno));
}

// The folder part of `path` ("." for a bare name) and the name in it.
std::string folderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string baseNameOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Where the symbolic link `link` points, as a path from here.
std::string linkTarget(const std::string& link) {
  char target[PATH_MAX];
  const ssize_t n = ::readlink(link.c_str(), target, sizeof target - 1);
  if (n < 0) return link;
  const std::string text(target, static_cast<std::size_t>(n));
  return text.starts_with('/') ? text : folderOf(link) + "/" + text;
}

// `path` with its symbolic links resolved; itself when that fails.
std::string realPath(const std::string& path) {
  char* real = ::realpath(path.c_str(), nullptr);
  if (real == nullptr) return path;
  std::string text(real);
  std::free(real);
  return text;
}

// An existing file by its type: what a name of a directory or socket
// would lose is refused, a device or FIFO is written in place.
void classifyExisting(OutputTarget& target) {
  const mode_t type = target.status.st_mode & S_IFMT;
  using Kind = OutputTarget::Kind;
  if (type == S_IFREG) {
    struct stat link {};
    target.kind = Kind::regular;
    if (::lstat(target.path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) target.path = realPath(target.path);
  } else if (type == S_IFCHR || type == S_IFIFO) {
    target.kind = Kind::direct;
  } else {
    target.kind = Kind::refused;
    target.problem = type == S_IFDIR ? "it is a directory" : "it is not a regular file, a character device or a FIFO";
  }
}

std::string inodeText(const struct stat& status) {
  return "inode " + std::to_string(status.st_dev) + ":" + std::to_string(status.st_ino);
}

// "pics/" and "pics" are one folder.
std::string withoutTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.ends_with('/')) path.pop_back();
  return path;
}

// The file's device and inode; for a name that does not exist, its
// folder's identity and its name, so that two spellings of a file still
// to be made compare equal.
std::string pathIdentity(const std::string& path, int depth = 0) {
  struct stat status {};
  if (::stat(path.c_str(), &status) == 0) return inodeText(status);
  if (depth > 64 || path == "/" || path == ".") return "name " + path;
  return pathIdentity(folderOf(path), depth + 1) + "/" + baseNameOf(path);
}

std::string temporaryFolder() {
  const char* dir = std::getenv("TMPDIR");
  return dir != nullptr && *dir != '\0' ? dir : "/tmp";
}

}  // namespace

// A link that leads nowhere is followed by hand (at most 40 links, as
// the system does), so that its target is created rather than the link
// replaced. Other lookup failures leave the name absent: creating the
// temporary reports them.
OutputTarget resolveOutput(const std::string& path) {
  OutputTarget target;
  if (path.empty() || path == "-") return target;
  target.path = path;
  target.kind = OutputTarget::Kind::absent;
  for (int links = 0; links < 40; ++links) {
    if (::stat(target.path.c_str(), &target.status) == 0) {
      target.exists = true;
      classifyExisting(target);
      return target;
    }
    struct stat link {};
    if (errno != ENOENT || ::lstat(target.path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) return target;
    target.path = linkTarget(target.path);
  }
  return target;
}

FileIdentity identifyFile(const std::string& path, int standard) {
  FileIdentity identity;
  struct stat status {};
  if (path.empty() || path == "-") {
    if (::fstat(standard, &status) != 0) return identity;
    identity.file = inodeText(status);
    identity.type = status.st_mode & S_IFMT;
    return identity;
  }
  const OutputTarget target = resolveOutput(withoutTrailingSlashes(path));
  identity.folder = pathIdentity(folderOf(target.path));
  identity.name = baseNameOf(target.path);
  identity.file = target.exists ? inodeText(target.status) : identity.folder + "/" + identity.name;
  identity.type = target.exists ? target.status.st_mode & S_IFMT : 0;
  return identity;
}

OutputFile::OutputFile(const std::string& path) : path_(path == "-" ? "" : path) {
  if (path_.empty()) return;
  const OutputTarget target = resolveOutput(path_);
  switch (target.kind) {
    case OutputTarget::Kind::refused:
      throw std::runtime_error(path_ + ": cannot write: " + target.problem);
    case OutputTarget::Kind::direct:
      openDirect(target);
      break;
    default:
      openTemporary(target);
  }
}

// The temporary has the final name's directory, so the rename stays on
// one file system. It takes over a file's mode and owner (a file owned by
// another user cannot be given away unless run as root: it then becomes
// the runner's, as any new file would); a new file gets the mode a file
// created with open() would get.
void OutputFile::openTemporary(const OutputTarget& target) {
  final_ = target.path;
  temporary_ = final_ + ".tmp-XXXXXX";
  fd_ = ::mkstemp(temporary_.data());
  if (fd_ < 0) fail("cannot create a temporary file beside it", path_);
  ownsFd_ = true;
  slot_ = claimSlot(temporary_);
  if (target.kind == OutputTarget::Kind::regular) {
    if (::fchown(fd_, target.status.st_uid, target.status.st_gid) != 0) {
      // Not permitted: the file becomes the runner's.
    }
    ::fchmod(fd_, target.status.st_mode & 07777);
    return;
  }
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd_, 0666 & ~mask);
}

// A device or FIFO has no content to keep whole: it is written as it
// goes, and a FIFO's open waits for its reader.
void OutputFile::openDirect(const OutputTarget& target) {
  fd_ = ::open(target.path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
  if (fd_ < 0) fail("cannot open", path_);
  ownsFd_ = true;
}

OutputFile::~OutputFile() {
  if (ownsFd_) ::close(fd_);
  if (temporary_.empty()) return;
  ::unlink(temporary_.c_str());
  releaseSlot(slot_);
}

void OutputFile::flush() {
  if (memory_ != nullptr) {
    memory_->append(buffer_);
    buffer_.clear();
    return;
  }
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
  if (!ownsFd_) return;
  ownsFd_ = false;
  if (::close(fd_) != 0) fail("cannot write", path_);
  fd_ = -1;
  if (temporary_.empty()) return;
  if (::rename(temporary_.c_str(), final_.c_str()) != 0) fail("cannot rename the temporary file to it", path_);
  temporary_.clear();
  releaseSlot(slot_);
}

std::string OutputFile::scratchStem() const {
  return temporary_.empty() ? temporaryFolder() + "/orowan-output" : final_;
}

void removeTemporariesOnSignal() {
  struct sigaction action = {};
  action.sa_handler = onTerminatingSignal;
  sigemptyset(&action.sa_mask);
  for (const int signal : {SIGHUP, SIGINT, SIGQUIT, SIGPIPE, SIGTERM, SIGXFSZ}) {
    struct sigaction before = {};
    if (sigaction(signal, nullptr, &before) == 0 && before.sa_handler == SIG_IGN) continue;
    sigaction(signal, &action, nullptr);
  }
}

// The lowest free descriptor is the one open() returns, so taking them
// in order fills each gap with /dev/null.
void openStandardDescriptors() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    const int opened = ::open("/dev/null", O_RDWR);
    if (opened >= 0 && opened != fd) {
      ::dup2(opened, fd);
      ::close(opened);
    }
  }
}

std::string printable(std::string_view text) {
  std::string shown;
  shown.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte != 0x7f) {
      shown += c;
      continue;
    }
    char escape[5];
    std::snprintf(escape, sizeof escape, "\\x%02x", byte);
    shown += escape;
  }
  return shown;
}

const char* version() { return OROWAN_VERSION; }

}  // namespace orowan::output
