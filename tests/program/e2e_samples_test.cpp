// Whole sessions with independently computed expected results
// (tests/data/samples): every case from a file, the file cases also from a
// pipe, the typed cases on a terminal. Standard output and the exit status
// must match byte for byte, standard error too except the wording of an
// F-class message, which the expected files write as "- <msg>".
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "run_program.h"

namespace {

using namespace e2e;
namespace fs = std::filesystem;

const fs::path kSamples = fs::path(OROWAN_TEST_DATA) / "samples";

std::string slurp(const fs::path& path) {
  return readData(fs::relative(path, OROWAN_TEST_DATA).c_str());
}

// The message line after an F-class report line becomes "- <msg>".
std::string maskIoMessage(const std::string& err) {
  const std::string marker = "run-time error F";
  const std::size_t at = err.find(marker);
  if (at == std::string::npos) return err;
  const std::size_t lineEnd = err.find("\r\n", at);
  if (lineEnd == std::string::npos || err.compare(lineEnd + 2, 2, "- ") != 0) return err;
  const std::size_t messageEnd = err.find("\r\n", lineEnd + 2);
  return err.substr(0, lineEnd + 2) + "- <msg>" +
         (messageEnd == std::string::npos ? "" : err.substr(messageEnd));
}

// What a terminal user types for a .tty case: its lines, then Ctrl-D, twice
// when the last line has no line end (the first only hands the line over).
std::string typedSession(const std::string& lines) {
  const bool open = !lines.empty() && lines.back() != '\n';
  return lines + (open ? "\x04\x04" : "\x04");
}

struct Case {
  std::string name;  // file name under cases/, e.g. 0096.tty
  bool typed;
};

std::vector<Case> allCases() {
  std::vector<Case> cases;
  for (const auto& entry : fs::directory_iterator(kSamples / "cases"))
    cases.push_back({entry.path().filename().string(), entry.path().extension() == ".tty"});
  std::sort(cases.begin(), cases.end(), [](const Case& a, const Case& b) { return a.name < b.name; });
  return cases;
}

void expectSession(const Case& c, const Result& got, const char* how) {
  const fs::path expected = kSamples / "expected" / c.name;
  const std::string out = slurp(expected.string() + ".out");
  const std::string err = slurp(expected.string() + ".err");
  const int status = std::stoi(slurp(expected.string() + ".rc"));
  EXPECT_EQ(got.status, status) << c.name << " " << how;
  EXPECT_EQ(show(maskIoMessage(got.err)), show(err)) << c.name << " " << how;
  EXPECT_TRUE(got.out == out) << c.name << " " << how << ": standard output differs\n"
                              << show(got.out);
}

TEST(Samples, EverySessionGivesItsExpectedBytes) {
  const std::vector<Case> cases = allCases();
  ASSERT_EQ(cases.size(), 185u);
  for (const Case& c : cases) {
    const std::string input = slurp(kSamples / "cases" / c.name);
    try {
      if (c.typed) {
        expectSession(c, runOnTerminal(typedSession(input)), "on a terminal");
      } else {
        expectSession(c, run(input, {.input = Input::file}), "from a file");
        expectSession(c, run(input, {.input = Input::pipe}), "from a pipe");
      }
    } catch (const std::exception& e) {
      ADD_FAILURE() << c.name << ": " << e.what();
    }
  }
}

}  // namespace
