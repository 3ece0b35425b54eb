// The outputs of orowan-batch and orowan-study end to end: what an output's
// name stands for survives the run (a device node, a FIFO, a link, a
// file's mode), no output replaces the input or another output, every
// ending removes the temporaries, closed standard descriptors are not taken
// by outputs, a full device is named with its reason, and the small
// things of the command line.
//
// Device nodes are made with mknod in a scratch folder (as root only);
// the system's /dev is never written.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <pty.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "run_tool.h"

namespace {

using batchtest::readFile;
using batchtest::runTool;
using batchtest::TempDir;

const std::string kHeader = "R,H1,H2,Y,SGB,SGF,U\n";
const std::string kExample = "100,2,1.5,20,0,0,0.1\n";
const std::string kBadLine = "100,2,1.5,20,0,0,0.1x\n";
// Long enough to be stopped on the way: 4501 values of U times 5 of R.
const std::vector<std::string> kLongSweep{"--jobs", "1", "--vary", "U=0.05:0.5:0.0001", "--vary", "R=100:104:1"};

bool isRoot() { return geteuid() == 0; }

// Starts `binary` with `args`; `plumb` runs in the child before exec, to
// set its descriptors and signals.
pid_t start(const std::vector<std::string>& args, const std::function<void()>& plumb,
            const char* binary = OROWAN_BATCH_BINARY) {
  const pid_t pid = fork();
  if (pid != 0) return pid;
  plumb();
  std::vector<char*> argv{const_cast<char*>(binary)};
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  execv(binary, argv.data());
  _exit(127);
}

// The exit status, or 128 + the signal that ended the process.
int waitFor(pid_t pid) {
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// Reads a FIFO while a run writes it. A write end of its own keeps the
// reads waiting for the run instead of ending before it opens the FIFO,
// and holds the FIFO even if the run replaces its name.
class FifoReader {
 public:
  explicit FifoReader(const std::string& path)
      : read_(open(path.c_str(), O_RDONLY | O_NONBLOCK)), hold_(open(path.c_str(), O_WRONLY)) {
    fcntl(read_, F_SETFL, 0);
    thread_ = std::thread([this] {
      char buffer[65536];
      for (ssize_t n; (n = read(read_, buffer, sizeof buffer)) > 0;) bytes_.append(buffer, static_cast<std::size_t>(n));
    });
  }
  // After the run: everything it wrote.
  std::string finish() {
    close(hold_);
    thread_.join();
    close(read_);
    return bytes_;
  }

 private:
  int read_, hold_;
  std::thread thread_;
  std::string bytes_;
};

// ---------------------------------------------------------------------------
// What a name stands for survives the run.

// An output option, the file it writes in `dir` (an --svg picture: the
// one pass's, on line 2) and whether `bytes` are its whole output.
struct OutputOption {
  const char* option;
  std::function<bool(const std::string& bytes)> whole;
};

std::string targetOf(const OutputOption& o, const TempDir& dir) {
  return std::string(o.option) == "--svg" ? dir.path("pics/line0002.svg") : dir.path("out");
}

std::vector<std::string> argsOf(const OutputOption& o, const TempDir& dir, const std::string& input) {
  return {input, o.option, std::string(o.option) == "--svg" ? dir.path("pics") : dir.path("out")};
}

// The four outputs; the results, steps and picture as a run into fresh
// names writes them, the page whole (its command line names the file).
std::vector<OutputOption> outputOptions(const std::string& input) {
  TempDir ref;
  const std::string results = runTool({input}).out;
  runTool({input, "--steps-out", ref.path("steps.csv"), "--svg", ref.path("pics")});
  const std::string steps = readFile(ref.path("steps.csv"));
  const std::string picture = readFile(ref.path("pics/line0002.svg"));
  EXPECT_FALSE(steps.empty() || picture.empty() || results.empty());
  return {{"-o", [=](const std::string& b) { return b == results; }},
          {"--steps-out", [=](const std::string& b) { return b == steps; }},
          {"--html", [](const std::string& b) { return b.starts_with("<!DOCTYPE html>") && b.ends_with("</html>\n"); }},
          {"--svg", [=](const std::string& b) { return b == picture; }}};
}

void writeText(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

// "dir/real" beside "dir/name".
std::string besideOf(const std::string& path) { return path.substr(0, path.rfind('/') + 1) + "real"; }

void makeLink(const std::string& path) {
  writeText(besideOf(path), "old\n");
  symlink("real", path.c_str());
}

void makePrivateFile(const std::string& path) {
  writeText(path, "old\n");
  chmod(path.c_str(), 0600);
}

// Still the link to "real", which holds the whole output.
bool linkIntact(const std::string& path, const OutputOption& o) {
  struct stat s {};
  char target[64] = {};
  return lstat(path.c_str(), &s) == 0 && S_ISLNK(s.st_mode) && readlink(path.c_str(), target, sizeof target - 1) == 4 &&
         std::string(target) == "real" && o.whole(readFile(besideOf(path)));
}

// Still mode 0600, holding the whole output.
bool modeIntact(const std::string& path, const OutputOption& o) {
  struct stat s {};
  return stat(path.c_str(), &s) == 0 && S_ISREG(s.st_mode) && (s.st_mode & 07777) == 0600 && o.whole(readFile(path));
}

// A kind of target: made before the run, checked after it.
struct TargetKind {
  const char* name;
  void (*make)(const std::string& path);
  bool (*intact)(const std::string& path, const OutputOption& o);
};

const TargetKind kKinds[] = {{"a symbolic link", makeLink, linkIntact}, {"a 0600 file", makePrivateFile, modeIntact}};

TEST(OutputSafetyTest, FifoLinkAndModeSurviveEveryOutput) {
  TempDir inputs;
  const std::string input = inputs.write("in.csv", kHeader + kExample);
  for (const OutputOption& o : outputOptions(input)) {
    for (const TargetKind& kind : kKinds) {
      TempDir dir;
      mkdir(dir.path("pics").c_str(), 0777);
      const std::string target = targetOf(o, dir);
      kind.make(target);
      const std::vector<std::string> before = dir.files();
      const auto r = runTool(argsOf(o, dir, input));
      EXPECT_EQ(r.status, 0) << o.option << " onto " << kind.name << ": " << r.err;
      EXPECT_TRUE(kind.intact(target, o)) << o.option << " onto " << kind.name;
      EXPECT_EQ(dir.files(), before) << o.option << " onto " << kind.name << ": no temporary left";
    }
    TempDir dir;
    mkdir(dir.path("pics").c_str(), 0777);
    const std::string target = targetOf(o, dir);
    mkfifo(target.c_str(), 0644);
    FifoReader reader(target);
    const auto r = runTool(argsOf(o, dir, input));
    EXPECT_EQ(r.status, 0) << o.option << " onto a FIFO: " << r.err;
    EXPECT_TRUE(o.whole(reader.finish())) << o.option << " onto a FIFO";
    struct stat s {};
    EXPECT_TRUE(lstat(target.c_str(), &s) == 0 && S_ISFIFO(s.st_mode)) << o.option << " onto a FIFO";
  }
}

// A node like /dev/null's (character device 1, 3), made in the scratch
// folder: written, not replaced by a regular file.
TEST(OutputSafetyTest, DeviceNodeIsWrittenNotReplaced) {
  if (!isRoot()) GTEST_SKIP() << "mknod needs root";
  TempDir inputs;
  const std::string input = inputs.write("in.csv", kHeader + kExample);
  for (const OutputOption& o : outputOptions(input)) {
    TempDir dir;
    mkdir(dir.path("pics").c_str(), 0777);
    const std::string target = targetOf(o, dir);
    ASSERT_EQ(mknod(target.c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
    const auto r = runTool(argsOf(o, dir, input));
    EXPECT_EQ(r.status, 0) << o.option << ": " << r.err;
    struct stat s {};
    EXPECT_TRUE(lstat(target.c_str(), &s) == 0 && S_ISCHR(s.st_mode) && s.st_rdev == makedev(1, 3)) << o.option;
    if (std::string(o.option) != "--svg") {
      EXPECT_EQ(dir.files(), (std::vector<std::string>{"out", "pics"})) << o.option;
    }
  }
}

// orowan-study's files go through the same routine: a link, a 0600 file.
TEST(OutputSafetyTest, StudyKeepsLinksAndModes) {
  TempDir dir;
  dir.write("real.csv", "old\n");
  symlink("real.csv", dir.path("passes.csv").c_str());
  dir.write("accuracy.md", "old\n");
  chmod(dir.path("accuracy.md").c_str(), 0600);
  const auto r = runTool({dir.path(""), "--reduced", "--jobs", "2"}, {.input = {}, .stderrOnTerminal = false, .binary = OROWAN_STUDY_BINARY});
  ASSERT_EQ(r.status, 0) << r.err;
  struct stat link {}, md {};
  EXPECT_TRUE(lstat(dir.path("passes.csv").c_str(), &link) == 0 && S_ISLNK(link.st_mode));
  EXPECT_NE(readFile(dir.path("real.csv")), "old\n");
  EXPECT_TRUE(stat(dir.path("accuracy.md").c_str(), &md) == 0 && (md.st_mode & 07777) == 0600);
  EXPECT_NE(readFile(dir.path("accuracy.md")), "old\n");
}

// ---------------------------------------------------------------------------
// No output replaces the input or another output: a command-line error,
// before anything is computed or written.

struct Refusal {
  const char* name;
  std::vector<std::string> args;  // "@" stands for the scratch folder
  const char* message;            // in the error, "@" as in args
};

const Refusal kRefusals[] = {
    {"-o onto the input", {"@/in.csv", "-o", "@/in.csv"}, "-o @/in.csv: is the input file, which it would replace"},
    {"--html onto the input by another path", {"@/in.csv", "--html", "@/./in.csv"}, "--html @/./in.csv: is the input file"},
    {"--steps-out onto the input through a link", {"@/in.csv", "--steps-out", "@/link-in"}, "--steps-out @/link-in: is the input file"},
    {"-o onto a hard link of the input", {"@/hard-in", "-o", "@/in.csv"}, "-o @/in.csv: is the input file"},
    {"the derived step file is the input", {"@/r.steps.csv", "--steps", "-o", "@/r.csv"}, "--steps @/r.steps.csv: is the input file"},
    {"-o and --html on one file", {"@/in.csv", "-o", "@/x.csv", "--html", "@/x.csv"}, "--html @/x.csv: is also the file of -o @/x.csv"},
    {"--steps-out and -o on one file", {"@/in.csv", "--steps-out", "@/res.csv", "-o", "@/res.csv"}, "--steps-out @/res.csv: is also the file of -o @/res.csv"},
    {"-o and a dangling link to it", {"@/in.csv", "-o", "@/new.csv", "--steps-out", "@/link-new"}, "--steps-out @/link-new: is also the file of -o @/new.csv"},
    {"--html under a picture's name", {"@/in.csv", "--svg", "@/pics", "--html", "@/pics/line0002.svg"}, "--html @/pics/line0002.svg: could be the name of a picture in --svg @/pics"},
    {"-o onto the --svg folder", {"@/in.csv", "-o", "@/pics", "--svg", "@/pics/"}, "-o @/pics: is the folder of --svg @/pics/"},
    {"-o ''", {"@/in.csv", "-o", ""}, "--output: needs a file name"},
    {"--steps-out ''", {"@/in.csv", "--steps-out", ""}, "--steps-out: needs a file name"},
};

std::string expand(std::string text, const std::string& dir) {
  for (std::size_t at; (at = text.find('@')) != std::string::npos;) text.replace(at, 1, dir);
  return text;
}

TEST(OutputSafetyTest, AnOutputOntoTheInputOrAnotherOutputIsRefused) {
  for (const Refusal& c : kRefusals) {
    TempDir dir;
    const std::string passes = kHeader + kExample;
    for (const char* name : {"in.csv", "r.steps.csv"}) dir.write(name, passes);
    symlink("in.csv", dir.path("link-in").c_str());
    link(dir.path("in.csv").c_str(), dir.path("hard-in").c_str());
    symlink("new.csv", dir.path("link-new").c_str());
    const std::vector<std::string> before = dir.files();
    std::string root = dir.path("");
    root.pop_back();  // the trailing slash
    std::vector<std::string> args;
    for (const std::string& a : c.args) args.push_back(expand(a, root));
    const auto r = runTool(args);
    const std::string message = expand(c.message, root);
    EXPECT_EQ(r.status, 2) << c.name;
    EXPECT_NE(r.err.find(message), std::string::npos) << c.name << ": " << r.err;
    EXPECT_EQ(r.out, "") << c.name;
    EXPECT_EQ(dir.files(), before) << c.name;
    EXPECT_EQ(readFile(dir.path("in.csv")), passes) << c.name;
  }
  // Not a clash: a page of another name in the pictures' folder.
  TempDir dir;
  const std::string input = dir.write("in.csv", kHeader + kExample);
  const auto r = runTool({input, "--svg", dir.path("pics"), "--html", dir.path("pics/index.html")});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(dir.files(), (std::vector<std::string>{"in.csv", "pics"}));
}

// -o onto a folder is said before the run: no line of the input is read,
// so its bad line gives no message.
TEST(OutputSafetyTest, AnOutputOntoAFolderIsReportedBeforeTheRun) {
  TempDir dir;
  const std::string input = dir.write("in.csv", kHeader + kExample + kBadLine);
  mkdir(dir.path("folder").c_str(), 0777);
  const auto r = runTool({input, "-o", dir.path("folder")});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "orowan-batch: " + dir.path("folder") + ": cannot write: it is a directory\n");
  EXPECT_EQ(dir.files(), (std::vector<std::string>{"folder", "in.csv"}));
}

// ---------------------------------------------------------------------------
// Every ending removes the temporaries of the result, step file and page.

struct Ending {
  const char* name;
  bool ignorePipe;  // SIGPIPE ignored when started: writes fail with EPIPE
  int signal;       // sent once the temporaries have data; 0: standard output is closed instead
  int status;       // expected: exit status or 128 + signal
};

const Ending kEndings[] = {
    {"SIGHUP (terminal closed)", false, SIGHUP, 128 + SIGHUP},
    {"SIGPIPE (| head)", false, 0, 128 + SIGPIPE},
    {"closed pipe with SIGPIPE ignored", true, 0, 1},
};

// Whether a temporary of the run has data yet.
bool temporariesStarted(const TempDir& dir) {
  for (const std::string& name : dir.files()) {
    struct stat s {};
    if (name.find(".tmp-") != std::string::npos && stat(dir.path(name).c_str(), &s) == 0 && s.st_size > 0) return true;
  }
  return false;
}

TEST(OutputSafetyTest, EveryEndingRemovesTheTemporaries) {
  for (const Ending& e : kEndings) {
    TempDir dir, logs;
    const std::string input = dir.write("in.csv", kHeader + kExample);
    std::vector<std::string> args{input, "--steps-out", dir.path("steps.csv"), "--html", dir.path("page.html")};
    args.insert(args.end(), kLongSweep.begin(), kLongSweep.end());
    int out[2];
    ASSERT_EQ(pipe(out), 0);
    const std::string log = logs.path("err");
    const pid_t pid = start(args, [&] {
      if (e.ignorePipe) signal(SIGPIPE, SIG_IGN);
      dup2(out[1], 1);
      close(out[0]), close(out[1]);
      const int err = open(log.c_str(), O_WRONLY | O_CREAT, 0644);
      dup2(err, 2);
    });
    close(out[1]);
    bool started = false;
    for (int i = 0; i < 1000 && !started; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      started = temporariesStarted(dir);
    }
    EXPECT_TRUE(started) << e.name;
    if (e.signal != 0) {
      kill(pid, started ? e.signal : SIGKILL);
    } else {
      char some[4096];
      EXPECT_GT(read(out[0], some, sizeof some), 0) << e.name;  // the results have begun
    }
    close(out[0]);
    EXPECT_EQ(waitFor(pid), e.status) << e.name << ": " << readFile(log);
    EXPECT_EQ(dir.files(), std::vector<std::string>{"in.csv"}) << e.name;
  }
}

// ---------------------------------------------------------------------------
// Closed standard descriptors are opened on /dev/null at start, so the
// result file is not where the diagnostics go.

struct ClosedStart {
  const char* name;
  std::vector<int> closed;
};

const ClosedStart kClosedStarts[] = {{"1 and 2 closed", {1, 2}}, {"0, 1 and 2 closed", {0, 1, 2}}, {"2 closed", {2}}};

TEST(OutputSafetyTest, ClosedStandardDescriptorsAreNotTakenByOutputs) {
  TempDir inputs;
  const std::string input = inputs.write("in.csv", kHeader + kExample + kBadLine + kExample);
  const std::string expected = runTool({input}).out;
  for (const ClosedStart& c : kClosedStarts) {
    TempDir dir;
    const pid_t pid = start({input, "-o", dir.path("out.csv"), "--steps-out", dir.path("steps.csv")}, [&] {
      for (const int fd : c.closed) close(fd);
    });
    EXPECT_EQ(waitFor(pid), 1) << c.name;  // the bad line
    EXPECT_EQ(readFile(dir.path("out.csv")), expected) << c.name;
    EXPECT_TRUE(readFile(dir.path("steps.csv")).starts_with("line,")) << c.name;
  }
  TempDir study;
  const pid_t pid = start({study.path(""), "--reduced", "--jobs", "2"}, [] { close(1), close(2); }, OROWAN_STUDY_BINARY);
  EXPECT_EQ(waitFor(pid), 0);
  EXPECT_EQ(study.files(), (std::vector<std::string>{"accuracy.md", "convergence_force.svg",
                                                     "convergence_neutral.svg", "passes.csv"}));
}

// ---------------------------------------------------------------------------
// A full device: the message names the path and the system's reason
// (ENOSPC), with --vary (the page's sections spooled) as without.

struct FullCase {
  const char* name;
  std::vector<std::string> args;  // after the input; the output follows
  const char* consequence;        // after the reason
};

const FullCase kFullCases[] = {
    {"--html with --vary", {"--vary", "U=0.05:0.3:0.01", "--html"}, " (the HTML page is not written)"},
    {"--html", {"--html"}, " (the HTML page is not written)"},
    {"-o", {"-o"}, ""},
    {"--steps-out", {"--steps-out"}, ""},
};

// A node like /dev/full's (character device 1, 7) in the scratch folder.
TEST(OutputSafetyTest, AFullDeviceIsNamedWithItsReason) {
  if (!isRoot()) GTEST_SKIP() << "mknod needs root";
  TempDir inputs;
  const std::string input = inputs.write("in.csv", kHeader + kExample);
  for (const FullCase& c : kFullCases) {
    TempDir dir;
    const std::string full = dir.path("full");
    ASSERT_EQ(mknod(full.c_str(), S_IFCHR | 0666, makedev(1, 7)), 0);
    std::vector<std::string> args{input};
    args.insert(args.end(), c.args.begin(), c.args.end());
    args.push_back(full);
    const auto r = runTool(args);
    EXPECT_EQ(r.status, 1) << c.name;
    EXPECT_EQ(r.err, "orowan-batch: " + full + ": cannot write: No space left on device" + c.consequence + "\n") << c.name;
    struct stat s {};
    EXPECT_TRUE(lstat(full.c_str(), &s) == 0 && S_ISCHR(s.st_mode) && s.st_rdev == makedev(1, 7)) << c.name;
  }
}

// A file system of 64 KiB: the page and its spool of 26 pass sections
// cannot both fit; nothing is left on it.
TEST(OutputSafetyTest, AFullFileSystemIsNamedWithItsReason) {
  TempDir dir;
  const std::string input = dir.write("in.csv", kHeader + kExample);
  const std::string small = dir.path("small");
  mkdir(small.c_str(), 0777);
  if (mount("tmpfs", small.c_str(), "tmpfs", 0, "size=64k") != 0) GTEST_SKIP() << "cannot mount a tmpfs here";
  const auto r = runTool({input, "--vary", "U=0.05:0.3:0.01", "--html", small + "/page.html"});
  std::vector<std::string> left;
  for (const auto& entry : std::filesystem::directory_iterator(small)) left.push_back(entry.path().filename());
  umount(small.c_str());
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "orowan-batch: " + small + "/page.html: cannot write: No space left on device (the HTML page is not written)\n");
  EXPECT_EQ(left, std::vector<std::string>{});
}

// ---------------------------------------------------------------------------
// The small things of the command line.

TEST(OutputSafetyTest, EveryToolTellsItsVersion) {
  const auto batch = runTool({"--version"});
  EXPECT_EQ(batch.status, 0);
  EXPECT_EQ(batch.out, std::string("orowan-batch ") + OROWAN_VERSION + "\n");
  const auto study = runTool({"--version"}, {.input = {}, .stderrOnTerminal = false, .binary = OROWAN_STUDY_BINARY});
  EXPECT_EQ(study.status, 0);
  EXPECT_EQ(study.out, std::string("orowan-study ") + OROWAN_VERSION + "\n");
}

// What the terminal showed (its end: EIO once the run has closed it).
std::string readTerminal(int master) {
  std::string shown;
  char buffer[65536];
  for (ssize_t n; (n = read(master, buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR);) {
    if (n > 0) shown.append(buffer, static_cast<std::size_t>(n));
  }
  return shown;
}

// Results and progress on one terminal: no progress line between results.
TEST(OutputSafetyTest, NoProgressLineBetweenResultsOnTheSameTerminal) {
  TempDir dir;
  const std::string input = dir.write("in.csv", kHeader + kExample);
  int master = -1, slave = -1;
  ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
  std::vector<std::string> args{input};
  args.insert(args.end(), kLongSweep.begin(), kLongSweep.end());
  const pid_t pid = start(args, [&] {
    dup2(slave, 1), dup2(slave, 2);
    close(master), close(slave);
  });
  close(slave);
  const std::string shown = readTerminal(master);
  close(master);
  EXPECT_EQ(waitFor(pid), 0);
  EXPECT_EQ(shown.find("passes/s"), std::string::npos);
  EXPECT_EQ(std::count(shown.begin(), shown.end(), '\n'), 1 + 4501 * 5);  // header and every pass
}

// Passes typed at a terminal: one line on standard error says that
// standard input is read; the results are as from a file.
TEST(OutputSafetyTest, ATerminalInputIsAnnounced) {
  int master = -1, slave = -1;
  ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
  int out[2], err[2];
  ASSERT_EQ(pipe(out), 0);
  ASSERT_EQ(pipe(err), 0);
  const pid_t pid = start({}, [&] {
    dup2(slave, 0), dup2(out[1], 1), dup2(err[1], 2);
    for (const int fd : {master, slave, out[0], out[1], err[0], err[1]}) close(fd);
  });
  close(slave), close(out[1]), close(err[1]);
  const std::string typed = kHeader + kExample + "\x04";  // Ctrl-D at a line's start: the end
  ASSERT_EQ(write(master, typed.data(), typed.size()), static_cast<ssize_t>(typed.size()));
  batchtest::ToolResult r;
  char buffer[65536];
  for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;) r.out.append(buffer, static_cast<std::size_t>(n));
  for (ssize_t n; (n = read(err[0], buffer, sizeof buffer)) > 0;) r.err.append(buffer, static_cast<std::size_t>(n));
  close(out[0]), close(err[0]), close(master);
  EXPECT_EQ(waitFor(pid), 0);
  EXPECT_EQ(r.out, runTool({}, {.input = kHeader + kExample}).out);
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
  EXPECT_NE(r.err.find("standard input"), std::string::npos) << r.err;
}

// A message never carries a raw control byte or a NUL: each is \xHH.
struct ControlBytes {
  const char* name;
  std::vector<std::string> args;  // "@" stands for the input file
  std::string input;              // its bytes
  std::string shown;              // in the message
};

const ControlBytes kControlBytes[] = {
    {"a file name", {"@\x01"}, "", "in.csv\\x01: cannot open"},
    {"a CSV value", {"@"}, kHeader + "100,2,1.5,20,0,0,0.1\x1b[2J\n", "found \"0.1\\x1b[2J\""},
    {"a JSON key with a NUL", {"@"}, "[{\"R\":100,\"H1\":2,\"H2\":1.5,\"Y\":20,\"U\\u0000X\":1}]",
     "key \"U\\x00X\": unknown"},  // noted, and U is missing
    {"an option's value", {"@", "--units", "si\x7f"}, kHeader + kExample, "si\\x7f"},
};

TEST(OutputSafetyTest, MessagesEscapeControlBytes) {
  for (const ControlBytes& c : kControlBytes) {
    TempDir dir;
    const std::string input = dir.write("in.csv", c.input);
    std::vector<std::string> args;
    for (const std::string& a : c.args) args.push_back(expand(a, input));
    const auto r = runTool(args);
    EXPECT_NE(r.status, 0) << c.name;
    EXPECT_NE(r.err.find(c.shown), std::string::npos) << c.name << ": " << r.err;
    const bool raw = std::any_of(r.err.begin(), r.err.end(), [](char ch) {
      return (static_cast<unsigned char>(ch) < 0x20 && ch != '\n') || ch == '\x7f';
    });
    EXPECT_FALSE(raw) << c.name << ": " << r.err;
  }
}

}  // namespace
