// The dialogue end to end: prompts, echo, repeat, stop and the failures of
// the input and of the geometry, as bytes on both streams with the status.
#include <gtest/gtest.h>

#include <string>

#include "program_texts.h"
#include "run_program.h"

namespace {

using namespace e2e;

std::string crlf(int n) {
  std::string s;
  while (n-- > 0) s += CRLF;
  return s;
}

// The first statement with no line open: its first empty record writes
// nothing, every later record starts with CR LF, the banner record's and
// the prompt's leading blank is consumed.
const std::string kFirstStatement = crlf(3) + kBanner + crlf(2) + kRadius;

// A prompt "(/,/,'   ... text')": after a file read the line is still open,
// so all three records advance; on a terminal the Enter key's echo stands
// in for the first.
std::string prompt(const std::string& text, bool terminal) {
  return crlf(terminal ? 2 : 3) + text;
}

// The input echo of R = 100, H1 = 2, H2 = 1.5 and no tensions.
std::string echo(bool terminal) {
  return crlf(terminal ? 2 : 3) + "*** Input data ***" + crlf(2) +
         "      Roll radius R=  100.0000(mm)" + CRLF +
         "      Thickness of strip H1,H2=    2.0000    1.5000(mm)" + CRLF +
         "      Front and back tensions SGF,SGB=     .0000     .0000(kgf/mm2)";
}

std::string promptsThroughEcho(bool terminal) {
  return kFirstStatement + prompt(kThickness, terminal) + prompt(kYield, terminal) +
         prompt(kTension, terminal) + prompt(kFriction, terminal) + echo(terminal);
}

const char* const kPass = "100\n2 1.5\n20\n0 0\n0.1\n";

struct Case {
  const char* name;
  std::string input;
  std::string outPrefix;  // standard output starts with this
  std::string outSuffix;  // and ends with this
  std::string err;        // standard error, exactly
  int status;
};

void expectRun(const Case& c, const e2e::Result& r) {
  SCOPED_TRACE(c.name);
  EXPECT_TRUE(startsWith(r.out, c.outPrefix)) << e2e::show(r.out.substr(0, c.outPrefix.size() + 40));
  EXPECT_TRUE(endsWith(r.out, c.outSuffix))
      << e2e::show(r.out.substr(r.out.size() > 300 ? r.out.size() - 300 : 0));
  EXPECT_EQ(e2e::show(r.err), e2e::show(c.err));
  EXPECT_EQ(r.status, c.status);
}

// End of input at each prompt: the prompt stays on the open line, the
// process end closes it with CR LF, the report goes to standard error.
TEST(DialogueFromFile, EndOfInputAtEveryPrompt) {
  const Case cases[] = {
      {"radius", "", kFirstStatement + CRLF, kFirstStatement + CRLF, kEof, 1},
      {"thickness", "100\n", kFirstStatement, prompt(kThickness, false) + CRLF, kEof, 1},
      {"second thickness", "100\n2\n", kFirstStatement, prompt(kThickness, false) + CRLF, kEof, 1},
      {"yield", "100\n2 1.5\n", kFirstStatement, prompt(kYield, false) + CRLF, kEof, 1},
      {"tension", "100\n2 1.5\n20\n", kFirstStatement, prompt(kTension, false) + CRLF, kEof, 1},
      {"friction", "100\n2 1.5\n20\n0 0\n", kFirstStatement, prompt(kFriction, false) + CRLF, kEof,
       1},
      {"repeat", kPass, promptsThroughEcho(false), crlf(4) + kRepeat + CRLF, kEof, 1},
  };
  for (const Case& c : cases) expectRun(c, e2e::run(c.input));
}

TEST(DialogueFromFile, StopWhenRedirectedEndsWithThreeLineEnds) {
  Case c{"stop", std::string(kPass) + "0\n", promptsThroughEcho(false),
         crlf(4) + kRepeat + CRLF + kStop + CRLF, "", 0};
  expectRun(c, e2e::run(c.input));
  expectRun(c, e2e::run(c.input, {e2e::Input::pipe}));
}

TEST(DialogueFromFile, AnswerOneStartsAnotherPass) {
  // The second banner follows an open line, so its first record advances too.
  std::string input = std::string(kPass) + "1\n" + kPass + "2\n";
  e2e::Result r = e2e::run(input);
  std::string second = crlf(4) + kRepeat + crlf(4) + kBanner + crlf(2) + kRadius;
  EXPECT_NE(r.out.find(second), std::string::npos);
  EXPECT_TRUE(endsWith(r.out, CRLF + kStop + CRLF));
  EXPECT_EQ(r.status, 0);
}

// A null mean yield stress in a later pass keeps the typed value: the pass
// repeats the first one byte for byte instead of working with 1.15 times
// its yield stress.
TEST(DialogueFromFile, NullYieldStressKeepsTheTypedValue) {
  e2e::Result once = e2e::run(std::string(kPass) + "0\n");
  e2e::Result twice = e2e::run(std::string(kPass) + "1\n100\n2 1.5\n,\n0 0\n0.1\n0\n");
  ASSERT_EQ(twice.status, 0);
  std::size_t firstRadius = once.out.find(kRadius);
  std::size_t secondRadius = twice.out.rfind(kRadius);
  EXPECT_EQ(e2e::show(twice.out.substr(secondRadius)), e2e::show(once.out.substr(firstRadius)));
}

// Failures of the geometry show after the echo and before the first result.
TEST(DialogueFromFile, GeometryFailuresAfterTheEcho) {
  const Case cases[] = {
      {"thicker after the pass", "100\n1.5 2\n20\n0 0\n0.1\n", kFirstStatement, CRLF,
       mathError("M6201", "sqrt: DOMAIN error"), 1},
      {"reduction of twice the radius", "1\n3 1\n20\n0 0\n0.1\n", kFirstStatement, CRLF,
       mathError("M6103", "floating-point error: divide by zero"), 1},
      {"no radius and no reduction", "0\n2 2\n20\n0 0\n0.1\n", kFirstStatement, CRLF,
       mathError("M6101", "floating-point error: invalid"), 1},
  };
  for (const Case& c : cases) {
    e2e::Result r = e2e::run(c.input);
    expectRun(c, r);
    EXPECT_EQ(r.out.find("CALCULATED RESULT"), std::string::npos) << c.name;
    EXPECT_NE(r.out.find("(kgf/mm2)" + CRLF), std::string::npos) << c.name;
  }
}

TEST(DialogueFromFile, BadValuesEndWithTheirReadError) {
  const Case cases[] = {
      {"letters for the radius", "abc\n", kFirstStatement, kFirstStatement + CRLF,
       readError("F6102", "REAL value without digits or beyond the double-precision range"), 1},
      {"trailing letters", "100\n2x\n", kFirstStatement, prompt(kThickness, false) + CRLF,
       readError("F6103", "REAL value followed by other characters"), 1},
      {"too large for single precision", "3.4028235E38\n", kFirstStatement, CRLF,
       readError("F6104", "REAL value beyond the single-precision range"), 1},
      {"quoted value", "'100'\n", kFirstStatement, CRLF,
       readError("F6504", "quoted or parenthesized value for a number"), 1},
      {"real at the repeat prompt", std::string(kPass) + "1.0\n", kFirstStatement,
       kRepeat + CRLF, readError("F6101", "invalid character in INTEGER value"), 1},
      {"Ctrl-Z line", "100\n\x1a\r\n", kFirstStatement, prompt(kThickness, false) + CRLF, kEof,
       1},
  };
  for (const Case& c : cases) expectRun(c, e2e::run(c.input));
}

// On a shared terminal the Enter key's echo ends each typed line, so the
// record after a read gets no CR LF, and the stop message follows the
// typed answer directly with nothing after it.
TEST(DialogueOnTerminal, PromptsEchoAndStop) {
  e2e::Result r = e2e::runOnTerminal(std::string(kPass) + "0\n");
  EXPECT_TRUE(startsWith(r.out, promptsThroughEcho(true))) << e2e::show(r.out.substr(0, 900));
  EXPECT_TRUE(endsWith(r.out, crlf(4) + kRepeat + kStop));
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.status, 0);
}

TEST(DialogueOnTerminal, EndOfInputAtThePrompt) {
  e2e::Result r = e2e::runOnTerminal("100\n\x04");
  EXPECT_EQ(e2e::show(r.out), e2e::show(kFirstStatement + prompt(kThickness, true) + CRLF));
  EXPECT_EQ(e2e::show(r.err), e2e::show(kEof));
  EXPECT_EQ(r.status, 1);
}

TEST(DialogueOnTerminal, LineLengthLimit) {
  // 131 typed bytes and the LF fill one 132-byte read; one more is too long.
  std::string fits = std::string(126, ' ') + "100.0\n";
  e2e::Result ok = e2e::runOnTerminal(fits + "\x04");
  EXPECT_EQ(e2e::show(ok.err), e2e::show(kEof)) << "the 131-byte line is read, then input ends";
  EXPECT_TRUE(endsWith(ok.out, prompt(kThickness, true) + CRLF));
  e2e::Result tooLong = e2e::runOnTerminal(std::string(127, ' ') + "100.0\n");
  EXPECT_EQ(e2e::show(tooLong.err),
            e2e::show(readError("F6407", "line longer than 131 characters")));
  EXPECT_EQ(tooLong.status, 1);
}

}  // namespace
