// The console at its edges: typed-ahead lines after a run-time error,
// non-blocking descriptors, failed writes, Ctrl-Z lines wherever the reads
// split them, and the run command on a UTF-8 terminal.
#include <gtest/gtest.h>
#include <iconv.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "program_texts.h"
#include "run_program.h"

namespace {

using namespace e2e;

const std::string kPass = "100\n2 1.5\n20\n0 0\n0.1\n";
const std::string kStopped = kPass + "0\n";

// --- Lines typed ahead of a run-time error ---------------------------------

struct TypedAheadCase {
  const char* name;
  std::string typed;
  std::string err;
  int status;
  std::string leftover;  // what the next reader of the terminal finds
};

// Everything is typed before the program starts; a report discards what
// it has not read (the rest of the line and the lines after it), the stop
// leaves it for the next program.
TEST(TypedAhead, ARunTimeErrorLeavesNothingForTheNextProgram) {
  const TypedAheadCase cases[] = {
      {"line too long", std::string(132, ' ') + "echo LEFTOVER\n",
       readError("F6407", "line longer than 131 characters"), 1, ""},
      {"answers pasted after a bad value", "100\n2 1.5mm\n20\necho PASTED\n",
       readError("F6103", "REAL value followed by other characters"), 1, ""},
      {"arithmetic fault after the last answer", "0\n2 1.5\n20\n0 0\n0.1\necho AFTER\n",
       mathError("M6201", "sqrt: DOMAIN error"), 1, ""},
      {"the stop", kStopped + "echo KEPT\n", "", 0, "echo KEPT\n"},
  };
  for (const TypedAheadCase& c : cases) {
    SCOPED_TRACE(c.name);
    const Result r = runOnTerminal(c.typed, {.typeAhead = true});
    EXPECT_EQ(show(r.err), show(c.err));
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(show(r.leftover), show(c.leftover));
  }
}

// --- Non-blocking descriptors ----------------------------------------------

// The 1,000-pass input of the timing and byte checks.
std::string thousandPasses() {
  const std::string command =
      std::string("python3 ") + OROWAN_TEST_DATA + "/../generate_inputs.py passes 1000";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return "";
  std::string bytes;
  char buf[65536];
  for (std::size_t n; (n = fread(buf, 1, sizeof buf, pipe)) > 0;) bytes.append(buf, n);
  pclose(pipe);
  return bytes;
}

std::string readFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

// The program fills the pipe long before its reader starts: every write
// then waits for room instead of failing with EAGAIN.
TEST(NonBlocking, ALateReaderOfANonBlockingPipeGetsEveryByte) {
  const std::string input = thousandPasses();
  ASSERT_GT(input.size(), 50000u);
  char path[] = "/tmp/orowan-output-XXXXXX";
  const int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  close(fd);
  const Result toFile = run(input, {.output = Output::file, .stdoutPath = path});
  const std::string reference = readFile(path);
  unlink(path);
  ASSERT_EQ(toFile.status, 0);
  ASSERT_GT(reference.size(), 1000000u);

  const Result late = run(input, {.nonBlockingStdout = true, .readerDelayMs = 500});
  EXPECT_EQ(late.status, 0);
  EXPECT_EQ(show(late.err), "");
  EXPECT_EQ(late.out.size(), reference.size());
  EXPECT_TRUE(late.out == reference) << "standard output differs from the file's";
}

// Nothing is typed for a while: the first read finds no line yet, and the
// program waits for one instead of failing.
TEST(NonBlocking, ANonBlockingTerminalReadsNormally) {
  const Result blocking = runOnTerminal(kStopped);
  ASSERT_EQ(blocking.status, 0);
  const Result r = runOnTerminal(kStopped, {.nonBlocking = true, .typingDelayMs = 300});
  EXPECT_EQ(show(r.err), "");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(show(r.out), show(blocking.out));
}

// --- Failed writes ----------------------------------------------------------

struct WriteCase {
  const char* name;
  Output output;
  bool ignoreSigpipe;
};

TEST(FailedWrites, EndWithAWriteErrorReport) {
  const WriteCase cases[] = {
      {"standard output closed (EBADF)", Output::closed, false},
      {"standard output read-only (EBADF)", Output::readOnly, false},
      {"closed pipe with SIGPIPE ignored (EPIPE)", Output::closedPipe, true},
      {"hung-up terminal (EIO)", Output::hungUpTerminal, false},
  };
  const std::string failure = report("F6423", ": WRITE(CON)", "write failure");
  for (const WriteCase& c : cases) {
    SCOPED_TRACE(c.name);
    const Result r = run(kStopped, {.output = c.output, .ignoreSigpipe = c.ignoreSigpipe});
    EXPECT_EQ(show(r.err), show(failure));
    EXPECT_EQ(r.status, 1);
  }
}

// --- Ctrl-Z lines -----------------------------------------------------------

struct CtrlZCase {
  std::string input;
  std::string err;
  int status;
  std::string outEnd;  // standard output ends with this and the process end's CR LF
};

// `head`, blanks and byte 26 at `offset` of the input, then `tail`.
std::string withCtrlZAt(const std::string& head, std::size_t offset, const std::string& tail) {
  return head + std::string(offset - head.size(), ' ') + "\x1a" + tail;
}

// Byte 26 before the line end at every offset around the first read's
// 132 bytes: the line is the end of input and nothing on it is read (a bad
// value included); byte 26 with a blank after it is an ordinary byte.
std::vector<CtrlZCase> ctrlZCases() {
  const std::string rest = "20\n0 0\n0.1\n0\n";
  std::vector<CtrlZCase> cases;
  for (std::size_t offset = 124; offset <= 140; ++offset) {
    for (const std::string end : {"\n", "\r\n"}) {
      cases.push_back({withCtrlZAt(kPass + "0", offset, end), kEof, 1, kRepeat});
      cases.push_back({withCtrlZAt(kPass + "x", offset, end), kEof, 1, kRepeat});
      cases.push_back({withCtrlZAt("100\n2 1.5", offset, end + rest), kEof, 1, kThickness});
      cases.push_back({withCtrlZAt(kPass + "0", offset, " " + end), "", 0, kStop});
    }
  }
  return cases;
}

// The last bytes of `s`, readable in a failure message.
std::string tail(const std::string& s) { return show(s.substr(s.size() > 80 ? s.size() - 80 : 0)); }

// However the reads split the input, the outcome is the same.
TEST(CtrlZ, ALineEndingInCtrlZEndsTheInputWhereverTheReadsSplitIt) {
  for (const CtrlZCase& c : ctrlZCases()) {
    SCOPED_TRACE(show(c.input));
    const Result file = run(c.input, {.input = Input::file});
    const Result pipe = run(c.input, {.input = Input::pipe});
    const Result bytes = run(c.input, {.input = Input::pipeByteByByte});
    EXPECT_EQ(show(file.err), show(c.err));
    EXPECT_EQ(file.status, c.status);
    EXPECT_TRUE(endsWith(file.out, c.outEnd + CRLF)) << tail(file.out);
    for (const Result* other : {&pipe, &bytes}) {
      EXPECT_TRUE(other->out == file.out) << tail(other->out);
      EXPECT_EQ(show(other->err), show(file.err));
      EXPECT_EQ(other->status, file.status);
    }
  }
}

// --- The run command --------------------------------------------------------

// `cp932` as UTF-8, converted by the C library.
std::string utf8(const std::string& cp932) {
  iconv_t convert = iconv_open("UTF-8", "CP932");
  if (convert == reinterpret_cast<iconv_t>(-1)) return "<no CP932 converter>";
  std::string in = cp932, out(cp932.size() * 3, '\0');
  char* from = in.data();
  char* to = out.data();
  std::size_t left = in.size(), room = out.size();
  const bool ok = iconv(convert, &from, &left, &to, &room) != static_cast<std::size_t>(-1);
  iconv_close(convert);
  if (!ok) return "<not CP932>";
  out.resize(out.size() - room);
  return out;
}

const std::string kScript = std::string(OROWAN_TEST_DATA) + "/../../scripts/run.sh";
const char* const kRunScript[] = {"/bin/bash", kScript.c_str(), nullptr};
const char* const kUtf8Locale[] = {"LANG=C.UTF-8", "LC_ALL=C.UTF-8",
                                   "OROWAN_PROGRAM=" OROWAN_BINARY, nullptr};
// As kUtf8Locale, with luit's charset files missing: luit cannot work.
const char* const kNoCharsets[] = {"LANG=C.UTF-8", "LC_ALL=C.UTF-8",
                                   "OROWAN_PROGRAM=" OROWAN_BINARY,
                                   "FONT_ENCODINGS_DIRECTORY=/nonexistent/encodings.dir", nullptr};

Result runScript(const std::string& typed, const char* const* environment,
                 const std::string& waitFor) {
  return runOnTerminal(typed, {.typeAfter = waitFor, .command = kRunScript,
                               .environment = environment});
}

// The banner and prompts arrive as UTF-8 through luit; the script ends
// with the program's status.
TEST(RunScript, ShowsTheTextsAsUtf8AndEndsWithTheProgramsStatus) {
  const std::string radius = utf8(kRadius);
  const Result pass = runScript(kStopped, kUtf8Locale, radius);
  EXPECT_NE(pass.out.find(utf8(kBanner)), std::string::npos) << show(pass.out.substr(0, 200));
  for (const std::string* prompt :
       {&kRadius, &kThickness, &kYield, &kTension, &kFriction, &kRepeat})
    EXPECT_NE(pass.out.find(utf8(*prompt)), std::string::npos) << show(*prompt);
  EXPECT_NE(pass.out.find("P  185.49  (T/M)    G   1.279  (T-M/M)"), std::string::npos);
  EXPECT_NE(pass.out.find(kStop), std::string::npos);
  EXPECT_EQ(pass.status, 0);

  const Result ended = runScript("\x04", kUtf8Locale, radius);
  EXPECT_NE(ended.out.find("run-time error F6501"), std::string::npos) << show(ended.out);
  EXPECT_EQ(ended.status, 1);
}

// Without luit's charset files the script says so in one line and starts
// the program directly: its own bytes, its own status.
TEST(RunScript, StartsTheProgramDirectlyWhenLuitCannotWork) {
  const Result r = runScript(kStopped, kNoCharsets, kRadius);
  EXPECT_NE(r.out.find(kBanner), std::string::npos) << show(r.out.substr(0, 200));
  EXPECT_NE(r.out.find(kStop), std::string::npos);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
  EXPECT_NE(r.err.find("xfonts-encodings"), std::string::npos) << r.err;
}

}  // namespace
