// orowan-batch end to end: bad input loses nothing, faults are results,
// the output does not depend on the thread count, an interrupted run
// leaves no partial file, sweeps and schedules, SI units, the command
// line, and progress on a terminal.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "run_tool.h"

namespace {

using batchtest::columnOf;
using batchtest::readFile;
using batchtest::runTool;
using batchtest::TempDir;

const std::string kHeader = "R,H1,H2,Y,SGB,SGF,U\n";
const std::string kExample = "100,2,1.5,20,0,0,0.1\n";

struct BadInput {
  const char* name;
  const char* file;
  std::string bytes;
  std::string err;  // after "<file path>:"
  std::vector<std::string> statuses;
};

const BadInput kBadInputs[] = {
    {"text for a number", "p.csv", kHeader + kExample + "100,2,1.5,20,0,0,0.1x\n" + kExample,
     "3: column U: expected a number, found \"0.1x\" (F6103)\n", {"ok", "error", "ok"}},
    {"missing column", "p.csv", kHeader + "100,2,1.5,20,0,0\n" + kExample,
     "2: column U: missing (the line has 6 fields, the header 7)\n", {"error", "ok"}},
    {"extra column", "p.csv", kHeader + kExample + "100,2,1.5,20,0,0,0.1,9\n",
     "3: an extra field (the line has 8 fields, the header 7)\n", {"ok", "error"}},
    {"empty required value", "p.csv", kHeader + "100,2,,20,0,0,0.1\n" + kExample,
     "2: column H2: empty; expected a number\n", {"error", "ok"}},
    {"beyond single precision", "p.csv", kHeader + "3.4028235E38,2,1.5,20,0,0,0.1\n" + kExample,
     "2: column R: expected a number within the single-precision range, found \"3.4028235E38\" (F6104)\n",
     {"error", "ok"}},
    {"NUL byte in a line", "p.csv", kHeader + std::string("100,2,1.5,2\0,0,0,0.1\n", 21) + kExample,
     "2: column Y: not text (a NUL byte)\n", {"error", "ok"}},
    // unknown columns and keys are notes, not problems: tests/batch/input_checks_test.cpp
};

// One message naming file, line and column; status 1; every other line's
// result intact (the same as the example pass alone).
TEST(BatchE2eTest, BadLinesLoseNothing) {
  const auto alone = runTool({}, {.input = kHeader + kExample});
  const std::string exampleForce = columnOf(alone.out, "ROLLING_FORCE")[0];
  for (const BadInput& c : kBadInputs) {
    TempDir dir;
    const std::string path = dir.write(c.file, c.bytes);
    for (const char* format : {"csv", "json"}) {
      const bool json = std::string(format) == "json";
      const auto r = runTool(json ? std::vector<std::string>{path, "--json"} : std::vector<std::string>{path});
      EXPECT_EQ(r.err, path + ":" + c.err) << c.name;
      EXPECT_EQ(r.status, 1) << c.name;
      if (json) {
        EXPECT_EQ(r.out.front(), '[') << c.name;
        continue;
      }
      ASSERT_EQ(columnOf(r.out, "status"), c.statuses) << c.name;
      for (std::size_t i = 0; i < c.statuses.size(); ++i) {
        if (c.statuses[i] == "ok") EXPECT_EQ(columnOf(r.out, "ROLLING_FORCE")[i], exampleForce) << c.name;
        else EXPECT_EQ(columnOf(r.out, "ROLLING_FORCE")[i], "") << c.name;
      }
    }
  }
}

struct BadFile {
  const char* name;
  std::string bytes;  // written to the input file unless `path` is given
  const char* path;   // instead of a file in the test directory
  std::string err;    // after "orowan-batch: <path>"
};

const BadFile kBadFiles[] = {
    {"does not exist", "", "/nonexistent/passes.csv", ": cannot open: No such file or directory\n"},
    {"a directory", "", "/tmp", ": cannot read: it is a directory\n"},
    {"not text", std::string("R,H1\0\1\2\n", 8), nullptr, ":1: not a text file\n"},
    {"empty", "", nullptr, ":1: no header line: expected column names such as R,H1,H2,Y,U\n"},
    {"required column missing", "R,H1,H2,Y\n100,2,1.5,20\n", nullptr,
     ":1: column U: required, but the header does not name it\n"},
};

// Nothing to read: one message, status 1, and no output file at all.
TEST(BatchE2eTest, UnreadableInputsWriteNoOutput) {
  for (const BadFile& c : kBadFiles) {
    TempDir dir;
    const std::string path = c.path != nullptr ? c.path : dir.write("in.csv", c.bytes);
    const auto r = runTool({path, "-o", dir.path("out.csv")});
    EXPECT_EQ(r.err, "orowan-batch: " + path + c.err) << c.name;
    EXPECT_EQ(r.status, 1) << c.name;
    EXPECT_EQ(access(dir.path("out.csv").c_str(), F_OK), -1) << c.name;
    EXPECT_EQ(dir.files().size(), c.path != nullptr ? 0u : 1u) << c.name;
  }
}

// An arithmetic fault or a missing neutral point is a result: status 0,
// the values that exist, and where a fault happened.
TEST(BatchE2eTest, FaultsAreResults) {
  const auto r = runTool({}, {.input = kHeader + "100,2,1.5,20,0,0,0\n100,2,1.5,20,0,5000,0.1\n100,2,1.5,20,1E38,0,0.1\n"
                                                 "3.4028234E38,2,1.5,20,0,0,0.1\n100,2,1.5,20,0,30,0.05\n"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(columnOf(r.out, "status"), (std::vector<std::string>{"M6103", "M6201", "M6201", "M6104", "no neutral point"}));
  EXPECT_EQ(columnOf(r.out, "XL")[0], "7.066647");  // the geometry was done before the march faulted
  EXPECT_EQ(columnOf(r.out, "XL")[3], "");
  EXPECT_EQ(columnOf(r.out, "OM")[4], "4.052268");  // no neutral point: contact, but no loads
  EXPECT_EQ(columnOf(r.out, "XN")[4], "");
  EXPECT_NE(r.out.find(",M6103,floating-point error: divide by zero,march,exit,1,"), std::string::npos);
}

// Deterministic passes of every kind: slip, stick, tensions, no neutral
// point, faults, unreadable lines, and schedule lines with H1 empty.
std::string generatedPasses(int count) {
  std::uint64_t state = 12345;
  auto next = [&](double low, double high) {
    state = state * 6364136223846793005u + 1442695040888963407u;
    return low + (high - low) * static_cast<double>(state >> 11) / 9007199254740992.0;
  };
  std::string csv = kHeader;
  for (int i = 0; i < count; ++i) {
    const double h1 = next(0.5, 8), yield = next(5, 60);
    const double u = i % 3 == 1 ? next(0.5, 1.2) : next(0.05, 0.3);
    const double front = i % 5 == 2 ? yield * next(0.6, 1.5) : yield * next(0, 0.3);
    char line[160];
    std::snprintf(line, sizeof line, "%.3f,%s,%.4f,%.2f,%.2f,%.2f,%s\n", next(30, 400),
                  i % 7 == 3 ? "" : std::to_string(h1).c_str(), h1 * (1 - next(0.05, 0.4)), yield,
                  yield * next(0, 0.3), front, i % 11 == 5 ? "0" : i % 13 == 6 ? "x" : std::to_string(u).c_str());
    csv += line;
  }
  return csv;
}

TEST(BatchE2eTest, OutputDoesNotDependOnTheThreadCount) {
  TempDir dir;
  const std::string input = dir.write("in.csv", generatedPasses(400));
  for (const std::vector<std::string>& format : {std::vector<std::string>{"--steps"}, {"--json", "--steps"}}) {
    std::string outputs[2];
    for (int jobs = 1; jobs <= 2; ++jobs) {
      const std::string out = dir.path("out" + std::to_string(jobs) + ".csv");
      std::vector<std::string> args{input, "--jobs", std::to_string(jobs), "-o", out};
      args.insert(args.end(), format.begin(), format.end());
      const auto r = runTool(args);
      EXPECT_EQ(r.status, 1);  // the "x" lines
      outputs[jobs - 1] = readFile(out) + readFile(dir.path("out" + std::to_string(jobs) + ".steps.csv"));
    }
    EXPECT_GT(outputs[0].size(), 1000000u);
    EXPECT_TRUE(outputs[0] == outputs[1]) << format.back();
  }
}

// Started with -o on a long run, ended by the signal once its temporary
// file has data: no file under the final name, no temporary left.
TEST(BatchE2eTest, InterruptedRunLeavesNoPartialFile) {
  for (const int signal : {SIGINT, SIGTERM}) {
    TempDir dir;
    const std::string input = dir.write("in.csv", kHeader + kExample);
    const std::string out = dir.path("out.json");
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      execl(OROWAN_BATCH_BINARY, OROWAN_BATCH_BINARY, input.c_str(), "--json", "--steps", "--jobs", "1",
            "--vary", "U=0.05:0.5:0.0001", "--vary", "R=100:104:1", "-o", out.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    bool started = false;
    for (int i = 0; i < 500 && !started; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      for (const std::string& name : dir.files()) {
        struct stat s {};
        started = started || (name.starts_with("out.json.tmp-") && stat(dir.path(name).c_str(), &s) == 0 && s.st_size > 0);
      }
    }
    ASSERT_TRUE(started);
    kill(pid, signal);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal);
    EXPECT_EQ(dir.files(), std::vector<std::string>{"in.csv"});
  }
}

TEST(BatchE2eTest, OutputFileIsWrittenWhole) {
  TempDir dir;
  const std::string input = dir.write("in.csv", kHeader + kExample + kExample);
  const auto r = runTool({input, "-o", dir.path("out.csv")});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(readFile(dir.path("out.csv")), runTool({input}).out);
  EXPECT_EQ(dir.files().size(), 2u);
}

// A schedule of two passes swept over friction: the varied values are the
// decimal texts, the second pass takes each case's exit thickness over.
TEST(BatchE2eTest, SweepOverASchedule) {
  const auto r = runTool({"--vary", "U=0.05:0.30:0.05"}, {.input = kHeader + "100,2,1.5,20,0,0,0.1\n100,,1.2,20,0,0,0.1\n"});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::vector<std::string> u{"0.05", "0.1", "0.15", "0.2", "0.25", "0.3"};
  std::vector<std::string> expectedU = u, cases, lines, h1;
  expectedU.insert(expectedU.end(), u.begin(), u.end());
  EXPECT_EQ(columnOf(r.out, "U"), expectedU);
  EXPECT_EQ(columnOf(r.out, "case"), (std::vector<std::string>{"1", "2", "3", "4", "5", "6", "1", "2", "3", "4", "5", "6"}));
  EXPECT_EQ(columnOf(r.out, "line"), (std::vector<std::string>{"2", "2", "2", "2", "2", "2", "3", "3", "3", "3", "3", "3"}));
  EXPECT_EQ(columnOf(r.out, "H1")[6], "1.5");
}

// SI: 196.133 MPa is read as typed, divided by 9.80665 in double and
// rounded; the same pass typed in kgf/mm2 (the shortest text of that
// float) gives the same rolling force, which SI gives times 9.80665.
TEST(BatchE2eTest, SiUnitsConvertOnceEachWay) {
  const float yield = static_cast<float>(static_cast<double>(196.133f) / 9.80665);
  char text[32];
  std::snprintf(text, sizeof text, "%.9g", yield);
  const auto kgf = runTool({}, {.input = "R,H1,H2,Y,U\n100,2,1.5," + std::string(text) + ",0.1\n"});
  const auto si = runTool({"--units", "si"}, {.input = "R,H1,H2,Y,U\n100,2,1.5,196.133,0.1\n"});
  ASSERT_EQ(si.status, 0);
  EXPECT_EQ(columnOf(si.out, "Y")[0], "196.133");
  const float force = std::strtof(columnOf(kgf.out, "ROLLING_FORCE")[0].c_str(), nullptr);
  EXPECT_EQ(std::strtof(columnOf(si.out, "ROLLING_FORCE")[0].c_str(), nullptr),
            static_cast<float>(static_cast<double>(force) * 9.80665));
  EXPECT_EQ(columnOf(si.out, "XL"), columnOf(kgf.out, "XL"));
}

struct Usage {
  std::vector<std::string> args;
  const char* mentions;
};

const Usage kUsage[] = {
    {{"--vary", "U=0.3:0.1:0.1"}, "--vary U=0.3:0.1:0.1: FROM must not be above TO"},
    {{"--vary", "U=0.1:0.3:0"}, "STEP must be above zero"},
    {{"--vary", "U=0:1:0.00001"}, "more than 10000 values"},
    {{"--jobs", "0"}, "--jobs"},
    {{"--units", "imperial"}, "--units"},
    {{"--steps"}, "--steps: with CSV to standard output, name the step file: --steps-out FILE"},
    {{"--json", "--steps-out", "s.csv"}, "--steps-out: is for CSV output"},
    {{"--frobnicate"}, "--frobnicate"},
};

TEST(BatchE2eTest, CommandLineErrorsNameTheOption) {
  for (const Usage& c : kUsage) {
    const auto r = runTool(c.args);
    EXPECT_EQ(r.status, 2) << c.mentions;
    EXPECT_NE(r.err.find(c.mentions), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
  }
  const auto help = runTool({"--help"});
  EXPECT_EQ(help.status, 0);
  for (const char* text : {"9.80665", "Examples:", "--vary", "a pass that faults is a result"}) {
    EXPECT_NE(help.out.find(text), std::string::npos) << text;
  }
}

// An option that can be given again takes one value each time, so that it
// may stand before the input file as well as after it.
TEST(BatchE2eTest, RepeatableOptionsBeforeTheFileLeaveItAlone) {
  TempDir dir;
  const std::string input = dir.write("in.csv", "R,H1,H2,Y,SGB,SGF,U,COIL,PASS\n100,2,1.5,20,0,0,0.1,A1,1\n");
  const std::vector<std::vector<std::string>> optionSets = {
      {"--vary", "U=0.1:0.3:0.1"},
      {"--vary=U=0.1:0.3:0.1"},
      {"--vary", "U=0.1:0.2:0.1", "--vary", "SGF=0:2:1"},
      {"--keep", "COIL"},
      {"--keep", "COIL", "--keep", "PASS"},
      {"--keep=COIL,PASS", "--json"},
  };
  for (const auto& options : optionSets) {
    std::vector<std::string> before = options, after = {input};
    before.push_back(input);
    after.insert(after.end(), options.begin(), options.end());
    const auto first = runTool(before), last = runTool(after);
    EXPECT_EQ(first.status, 0) << options[0] << ": " << first.err;
    EXPECT_EQ(first.err, last.err);  // the warnings of columns not kept, if any
    EXPECT_EQ(first.out, last.out) << options[0];
    EXPECT_EQ(last.status, 0) << options[0] << ": " << last.err;
  }
  // Two sweeps in one --vary are two values: the second is not a sweep.
  const auto two = runTool({input, "--vary", "U=0.1:0.2:0.1", "SGF=0:2:1"});
  EXPECT_EQ(two.status, 2);
  EXPECT_NE(two.err.find("SGF=0:2:1"), std::string::npos) << two.err;
}

// On a terminal a run of more than a second shows its progress and clears
// it; a short one shows nothing.
TEST(BatchE2eTest, ProgressOnATerminalOnlyForLongRuns) {
  TempDir dir;
  const std::string input = dir.write("in.csv", kHeader + kExample);
  const auto quick = runTool({input}, {.input = {}, .stderrOnTerminal = true});
  EXPECT_EQ(quick.err, "");
  const auto slow = runTool({input, "--jobs", "1", "--vary", "U=0.05:0.5:0.00005", "--vary", "R=100:101:1"},
                            {.input = {}, .stderrOnTerminal = true});
  EXPECT_EQ(slow.status, 0);
  EXPECT_NE(slow.err.find(" of 18002 passes, "), std::string::npos) << slow.err;
  EXPECT_NE(slow.err.find(" passes/s, "), std::string::npos);
  EXPECT_NE(slow.err.find(" s left"), std::string::npos);
  EXPECT_TRUE(slow.err.ends_with("\r\033[K"));
}

}  // namespace
