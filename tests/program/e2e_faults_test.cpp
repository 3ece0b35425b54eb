// Faults end to end: whatever arrives on standard input, and whatever
// standard output turns out to be, the program computes the report or ends
// with its run-time error and status 1, keeping everything it had written.
#include <gtest/gtest.h>

#include <csignal>
#include <string>

#include "program_texts.h"
#include "run_program.h"

namespace {

using namespace e2e;

// The last record of the echo and the end of the column header.
const std::string kEchoEnd = "(kgf/mm2)";
const std::string kHeaderEnd = "A       W";
const std::string kExitTitle = "*** Stress distribution on exit side.***";
const std::string kEntryTitle = "*** Stress distribution on entry side.***";

const std::string kPass = "100\n2 1.5\n20\n0 0\n0.1\n";
const std::string kStopped = kPass + "0\n";
const std::string kTenMegabytes(10 << 20, '1');

const std::string kSqrtDomain = mathError("M6201", "sqrt: DOMAIN error");

std::string tail(const std::string& s) { return e2e::show(s.substr(s.size() > 400 ? s.size() - 400 : 0)); }

enum class Mode { file, pipe, terminal };

e2e::Result runIn(Mode mode, const std::string& input) {
  if (mode == Mode::terminal) return e2e::runOnTerminal(input);
  return e2e::run(input, {mode == Mode::pipe ? e2e::Input::pipe : e2e::Input::file});
}

// Until the end of input the program reads the same lines as a complete
// run does, so it has written the same bytes up to the waiting prompt; the
// process end then closes the prompt's open line.
std::string outputAtPrompt(const std::string& complete, const std::string& prompt, bool last) {
  const std::size_t at = last ? complete.rfind(prompt) : complete.find(prompt);
  if (at == std::string::npos) return "<prompt missing>";
  return complete.substr(0, at + prompt.size()) + CRLF;
}

struct PromptCase {
  const char* name;
  std::string input;
  const std::string* prompt;
  bool last;  // the prompt's last occurrence (the repeat prompt) rather than its first
};

TEST(EndOfInput, AtEveryPromptFromAPipeAndATerminal) {
  const PromptCase cases[] = {
      {"radius", "", &kRadius, false},
      {"thickness", "100\n", &kThickness, false},
      {"second thickness", "100\n2\n", &kThickness, false},
      {"yield stress", "100\n2 1.5\n", &kYield, false},
      {"tensions", "100\n2 1.5\n20\n", &kTension, false},
      {"front tension", "100\n2 1.5\n20\n0\n", &kTension, false},
      {"friction", "100\n2 1.5\n20\n0 0\n", &kFriction, false},
      {"repeat", kPass, &kRepeat, true},
  };
  for (Mode mode : {Mode::pipe, Mode::terminal}) {
    const bool terminal = mode == Mode::terminal;
    const e2e::Result complete = runIn(mode, kStopped);
    ASSERT_EQ(complete.status, 0);
    for (const PromptCase& c : cases) {
      SCOPED_TRACE(std::string(c.name) + (terminal ? " on a terminal" : " from a pipe"));
      // Byte 4 at the start of a typed line is the terminal's end of input.
      const e2e::Result r = runIn(mode, terminal ? c.input + "\x04" : c.input);
      EXPECT_EQ(e2e::show(r.out), e2e::show(outputAtPrompt(complete.out, *c.prompt, c.last)));
      EXPECT_EQ(e2e::show(r.err), e2e::show(kEof));
      EXPECT_EQ(r.status, 1);
    }
  }
}

// On a terminal a line handed over by Ctrl-D without its line end is
// taken by a second Ctrl-D; that empty read is the end of input for good,
// so the next value needed is at once the end of file.
TEST(EndOfInput, AnEmptyReadOnATerminalIsFinal) {
  const PromptCase cases[] = {
      {"H2 after H1 and two Ctrl-D", "100\n3.0\x04\x04", &kThickness, false},
      {"repeat answer after the friction and two Ctrl-D",
       kPass.substr(0, kPass.size() - 1) + "\x04\x04", &kRepeat, true},
  };
  const e2e::Result complete = runIn(Mode::terminal, kStopped);
  ASSERT_EQ(complete.status, 0);
  for (const PromptCase& c : cases) {
    SCOPED_TRACE(c.name);
    const e2e::Result r = runIn(Mode::terminal, c.input);
    EXPECT_EQ(e2e::show(r.out), e2e::show(outputAtPrompt(complete.out, *c.prompt, c.last)));
    EXPECT_EQ(e2e::show(r.err), e2e::show(kEof));
    EXPECT_EQ(r.status, 1);
  }
}

TEST(StandardOutput, FullDeviceIsAWriteError) {
  e2e::Options options;
  options.output = e2e::Output::file;
  options.stdoutPath = "/dev/full";
  const e2e::Result r = e2e::run(kStopped, options);
  EXPECT_EQ(e2e::show(r.err), e2e::show(report("F6422", ": WRITE(CON)",
                                               "write refused: device full or access denied")));
  EXPECT_EQ(r.status, 1);
}

TEST(StandardOutput, ClosedPipeEndsSilentlyBySigpipe) {
  e2e::Options options;
  options.output = e2e::Output::closedPipe;
  const e2e::Result r = e2e::run(kStopped, options);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.status, 128 + SIGPIPE);
}

// One run: its report, its status, and where its standard output ends.
struct Case {
  const char* name;
  std::string input;
  std::string err;
  int status;
  std::string outEnd;       // standard output ends with this and the process end's CR LF
  std::string outHas = "";  // and holds this
  std::string outLacks = "\x01";  // but not this
};

void expectCase(const Case& c, Mode mode = Mode::file) {
  SCOPED_TRACE(c.name);
  const e2e::Result r = runIn(mode, c.input);
  EXPECT_EQ(e2e::show(r.err), e2e::show(c.err));
  EXPECT_EQ(r.status, c.status);
  EXPECT_TRUE(endsWith(r.out, c.outEnd + CRLF)) << tail(r.out);
  EXPECT_NE(r.out.find(c.outHas), std::string::npos) << e2e::show(c.outHas);
  EXPECT_EQ(r.out.find(c.outLacks), std::string::npos) << e2e::show(c.outLacks);
}

// Bytes that are no separators are part of the value text; byte 26 ends
// the input only just before a line end (CR LF or LF), wherever that line
// stands; CR is a blank that does not end a line.
TEST(OddInput, EndsWithTheReportOfTheFirstBadValue) {
  const std::string leftover = readError("F6103", "REAL value followed by other characters");
  const std::string noDigits =
      readError("F6102", "REAL value without digits or beyond the double-precision range");
  const Case cases[] = {
      {"NUL inside a value", std::string("1\0" "00\n", 5), leftover, 1, kRadius},
      {"NUL as a value", std::string("100\n\0\n", 6), noDigits, 1, kThickness},
      {"byte 26 inside a value", "100\n2\x1a 1.5\n20\n", leftover, 1, kThickness},
      {"byte 26 before a value", "\x1a" "100\n2 1.5\n", noDigits, 1, kRadius},
      // "2 1.5" stands before the Ctrl-Z on its line: not read.
      {"Ctrl-Z line ends the file", "100\n2 1.5\x1a\r\n", kEof, 1, kThickness},
      // Lines after it change nothing.
      {"Ctrl-Z line inside a record", "100\n2 1.5\x1a\r\n20\n", kEof, 1, kThickness},
      // Not before the line end: an ordinary byte, and 1.5 has a leftover.
      {"byte 26 before a blank", "100\n2 1.5\x1a \r\n20\n", leftover, 1, kThickness},
      // One line: 100 is the radius, the rest of the line is discarded.
      {"CR-only line ends", "100\r2 1.5\r20\r0 0\r0.1\r0\r", kEof, 1, kThickness},
  };
  for (const Case& c : cases) expectCase(c);
}

TEST(OddInput, TenMegabytesWithoutASeparatorIsAValueTooLong) {
  const Case c{"10 MB of digits", "100" + kTenMegabytes,
               readError("F6408", "value longer than 256 characters"), 1, kRadius};
  expectCase(c, Mode::file);
  expectCase(c, Mode::pipe);
}

// Inputs that must give byte for byte the run of their plain form.
struct SameCase {
  const char* name;
  std::string input;
  std::string plain;
  std::string err;  // of both runs
  int status;
};

TEST(OddInput, RunsLikeTheirPlainForm) {
  const std::string divideByZero = mathError("M6103", "floating-point error: divide by zero");
  const std::string invalid = mathError("M6101", "floating-point error: invalid");
  const SameCase cases[] = {
      {"CR LF line ends", "100\r\n2 1.5\r\n20\r\n0 0\r\n0.1\r\n0\r\n", kStopped, "", 0},
      {"10 MB of blanks first", std::string(10 << 20, ' ') + kStopped, kStopped, "", 0},
      {"largest repeat count", "100\n2 1.5\n20\n2147483647*0\n0.1\n0\n", kStopped, "", 0},
      // 1E-46 is below half the smallest denormal, so it rounds to zero.
      {"1E-46 radius", "1E-46\n2 1.5\n20\n0 0\n0.1\n", "0\n2 1.5\n20\n0 0\n0.1\n", kSqrtDomain,
       1},
      {"-0 radius", "-0\n2 1.5\n20\n0 0\n0.1\n", "0\n2 1.5\n20\n0 0\n0.1\n", kSqrtDomain, 1},
      {"-0 tensions", "100\n2 1.5\n20\n-0 -0\n0.1\n0\n", kStopped, "", 0},
      {"1E-46 friction", "100\n2 1.5\n20\n0 0\n1E-46\n", "100\n2 1.5\n20\n0 0\n0\n",
       divideByZero, 1},
      // RK = 0 and F = 0 at the exit plane: F / H / RK is 0/0.
      {"1E-46 yield stress", "100\n2 1.5\n1E-46\n0 0\n0.1\n", "100\n2 1.5\n0\n0 0\n0.1\n",
       invalid, 1},
      {"largest answer", kPass + "2147483647\n", kStopped, "", 0},
      {"smallest answer", kPass + "-2147483648\n", kStopped, "", 0},
  };
  for (const SameCase& c : cases) {
    SCOPED_TRACE(c.name);
    const e2e::Result r = e2e::run(c.input);
    const e2e::Result plain = e2e::run(c.plain);
    EXPECT_EQ(e2e::show(r.out), e2e::show(plain.out));
    EXPECT_EQ(e2e::show(r.err), e2e::show(c.err));
    EXPECT_EQ(e2e::show(plain.err), e2e::show(c.err));
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(plain.status, c.status);
  }
}

TEST(Limits, ValuesAtTheEdgeOfTheirRange) {
  const std::string integerRange = readError("F6100", "INTEGER value out of range");
  const std::string singleRange = readError("F6104", "REAL value beyond the single-precision range");
  const Case cases[] = {
      {"repeat count 2^31", "100\n2147483648*5\n", integerRange, 1, kThickness},
      {"repeat count -2^31", "100\n-2147483648*5\n",
       readError("F6502", "repeat count not positive"), 1, kThickness},
      {"answer 2^31", kPass + "2147483648\n", integerRange, 1, kRepeat},
      {"answer -2^31-1", kPass + "-2147483649\n", integerRange, 1, kRepeat},
      // The nearest doubles of both lie above the largest single.
      {"3.4028236E38", "3.4028236E38\n", singleRange, 1, kRadius},
      {"-3.4028235E38", "-3.4028235E38\n", singleRange, 1, kRadius},
      // The largest single reads; R x 2.0 then overflows when it is stored.
      {"largest radius", "3.4028234E38\n2 1.5\n20\n0 0\n0.1\n",
       mathError("M6104", "floating-point error: overflow"), 1, kEchoEnd, "R=**********(mm)",
       "CALCULATED"},
      // R x DH - 0.25 DH^2 = 0.7E-45 - 0.0625 < 0.
      {"smallest denormal radius", "1E-45\n2 1.5\n20\n0 0\n0.1\n", kSqrtDomain, 1, kEchoEnd, "",
       "CALCULATED"},
      // b = -(0.5 / U) = -3.6E44 is beyond single precision.
      {"smallest denormal friction", "100\n2 1.5\n20\n0 0\n1E-45\n",
       mathError("M6104", "floating-point error: overflow"), 1, kHeaderEnd, kExitTitle,
       kEntryTitle},
  };
  for (const Case& c : cases) expectCase(c);
}

// The slip quadratic's root: with RK = 23 and U = 0.1, b^2 = 25 and
// 4c = 0.858, so B x 4c + b^2 < 0 once F/H/RK < -30.1, a tension above
// about 693: 1000 fails at the first step of the side that carries it.
TEST(Limits, GeometryAndTensionsBeyondTheAnalysis) {
  const Case cases[] = {
      {"front tension far beyond the yield stress", "100\n2 1.5\n20\n0 1000\n0.1\n", kSqrtDomain,
       1, kHeaderEnd, "SGF,SGB= 1000.0000     .0000", kEntryTitle},
      {"back tension far beyond the yield stress", "100\n2 1.5\n20\n1000 0\n0.1\n", kSqrtDomain,
       1, kHeaderEnd, kEntryTitle, "RESULT -- 2"},
      // R x DH - 0.25 DH^2 = -0.0625.
      {"no roll", "0\n2 1.5\n20\n0 0\n0.1\n", kSqrtDomain, 1, kEchoEnd, "", "CALCULATED"},
      // DH = 0.5 = 2R: XL = 0.25 over R - 0.5 DH = 0.
      {"reduction of twice a small roll", ".25\n1 .5\n20\n0 0\n0.1\n",
       mathError("M6103", "floating-point error: divide by zero"), 1, kEchoEnd, "",
       "CALCULATED"},
      // DH = 4.5 > 4R: 4.5 - 5.0625 < 0.
      {"reduction beyond four radii", "1\n5 .5\n20\n0 0\n0.1\n", kSqrtDomain, 1, kEchoEnd, "",
       "CALCULATED"},
  };
  for (const Case& c : cases) expectCase(c);
}

}  // namespace
