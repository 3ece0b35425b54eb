// orowan-batch's own checks of a pass's values (sizes and the yield stress
// above 0, a friction that is not negative, a reduction), the positions
// of a minified JSON array's elements, and terminal input's end. The
// console program reads any number; these are the batch tool's.
#include <gtest/gtest.h>

#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "run_tool.h"

namespace {

using batchtest::columnOf;
using batchtest::expectBadMiddleLine;
using batchtest::runTool;
using batchtest::TempDir;

const std::string kHeader = "R,H1,H2,Y,SGB,SGF,U\n";
const std::string kGood = "100,2,1.5,20,0,0,0.1\n";

struct BadValue {
  const char* bad;  // the middle line
  const char* message;
};

// Each value the analysis would take without a word (a negative friction
// is the pass with -U, a zero yield stress divides by zero later) or
// with the analysis's M number.
const BadValue kBadValues[] = {
    {"100,2,1.5,20,0,0,-0.1\n", "column U: must not be negative, found -0.1"},
    {"0,2,1.5,20,0,0,0.1\n", "column R: must be above 0, found 0"},
    {"-100,2,1.5,20,0,0,0.1\n", "column R: must be above 0, found -100"},
    {"100,-2,-2.5,20,0,0,0.1\n", "column H1: must be above 0, found -2"},
    {"100,2,0,20,0,0,0.1\n", "column H2: must be above 0, found 0"},
    {"100,2,1.5,0,0,0,0.1\n", "column Y: must be above 0, found 0"},
    {"100,2,1.5,-20,0,0,0.1\n", "column Y: must be above 0, found -20"},
    {"100,2,1.5,1E-46,0,0,0.1\n", "column Y: must be above 0, found 0"},  // reads as 0
    {"100,1.5,2,20,0,0,0.1\n",
     "columns H1 and H2: the exit thickness H2 = 2 is above the entry thickness H1 = 1.5; a pass must reduce the strip"},
    {"100,2,2,20,0,0,0.1\n",
     "columns H1 and H2: the exit thickness H2 = 2 equals the entry thickness H1 = 2; a pass must reduce the strip"},
    {"100,2,1.5,nan,0,0,0.1\n", "column Y: expected a number, found \"nan\" (F6102)"},
    {"100,2,1.5,20,0,0,inf\n", "column U: expected a number, found \"inf\" (F6102)"},
    {"100,2,1.5,20,0,0,1E39\n", "column U: expected a number within the single-precision range, found \"1E39\" (F6104)"},
};

TEST(InputChecks, ValuesNoPassCanTakeAreRefusedNamingTheColumn) {
  for (const BadValue& c : kBadValues) expectBadMiddleLine(kHeader, kGood, c.bad, c.message);
}

TEST(InputChecks, JsonValuesAndTablesAreCheckedAlike) {
  const std::string pass = "{\"R\":100,\"H1\":2,\"H2\":1.5,\"Y\":20,\"U\":";
  expectBadMiddleLine("", pass + "0.1}", pass + "-0.05}", "column U: must not be negative, found -0.05");
  expectBadMiddleLine("", pass + "0.1}", pass + "{\"X\":[0,2,5],\"U\":[0.1,-0.1,0.1]}}",
                      "column U: the friction must not be negative, but U 2 = -0.1");
}

// A swept value is checked as a typed one, case by case.
TEST(InputChecks, SweptValuesAreChecked) {
  const auto r = runTool({"--vary", "U=-0.1:0.1:0.1"}, {.input = kHeader + kGood});
  EXPECT_EQ(r.status, 1);
  // U = 0 is a pass the analysis takes (and divides by zero in, as the console does)
  EXPECT_EQ(columnOf(r.out, "status"), (std::vector<std::string>{"error", "M6103", "ok"}));
  EXPECT_EQ(r.err, "stdin:2: column U: must not be negative, found -0.1\n");
}

// --vary H2 sets every line's exit thickness: a schedule line would enter
// at the thickness it leaves at, so it is refused in words; a line that
// gives its H1 is swept as usual.
TEST(InputChecks, VaryingH2OnAScheduleSaysWhatItDoes) {
  const auto r = runTool({"--vary", "H2=1.4:1.5:0.1"}, {.input = kHeader + kGood + "100,,1.2,20,0,0,0.1\n"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(columnOf(r.out, "status"), (std::vector<std::string>{"ok", "ok", "error", "error"}));
  EXPECT_EQ(r.err, "stdin:3: column H1: empty, but --vary H2 sets every line's exit thickness, so this line would "
                   "enter at the exit thickness it is to leave at; give H1 (or vary H2 without a schedule)\n");
}

// Elements on one line: the line column counts the elements, messages
// name the element and the byte it starts at (0-based).
TEST(InputChecks, MinifiedJsonNamesTheElement) {
  TempDir dir;
  const std::string a = R"({"R":100,"H1":2,"H2":1.5,"Y":20,"U":0.1})";
  const std::string bad = R"({"R":100,"H1":2,"H2":1.5,"Y":"x","U":0.1})";
  const std::string text = "[" + a + "," + a + "," + bad + "," + a + "]";
  const std::string path = dir.write("m.json", text);
  const auto r = runTool({path});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(columnOf(r.out, "line"), (std::vector<std::string>{"1", "2", "3", "4"}));
  EXPECT_EQ(columnOf(r.out, "status"), (std::vector<std::string>{"ok", "ok", "error", "ok"}));
  const std::size_t offset = text.find(bad);
  ASSERT_EQ(offset, 1 + 2 * (a.size() + 1));
  EXPECT_EQ(r.err, path + ":1: element 3 at byte " + std::to_string(offset) +
                       ": column Y: expected a number, found \"x\" (F6102)\n");
  // An element that breaks the JSON itself is placed the same way.
  const std::string broken = "[" + a + ",{\"R\":100,,\"H1\":2}," + a + "]";
  const auto b = runTool({dir.write("b.json", broken)});
  EXPECT_EQ(columnOf(b.out, "line"), (std::vector<std::string>{"1", "2", "3"}));
  EXPECT_EQ(b.err.substr(b.err.find(':')), ":1: element 2 at byte " + std::to_string(a.size() + 2) +
                                                ": not valid JSON near \"0,,\"\n");
}

// A minified array that ends early: the problem is placed after its last
// element, and the line column stays in order.
TEST(InputChecks, MinifiedJsonEndsAfterItsLastElement) {
  const std::string a = R"({"R":100,"H1":2,"H2":1.5,"Y":20,"U":0.1})";
  const auto r = runTool({}, {.input = "[" + a + "," + a});
  EXPECT_EQ(columnOf(r.out, "line"), (std::vector<std::string>{"1", "2", "2"}));  // the problem has a row
  EXPECT_EQ(r.err, "stdin:1: after element 2, at byte " + std::to_string(2 * a.size() + 2) +
                       ": the input ends before the array's closing ]\n");
}

// One element a line: lines as before.
TEST(InputChecks, JsonOneElementALineKeepsItsLines) {
  const std::string a = R"({"R":100,"H1":2,"H2":1.5,"Y":20,"U":0.1})";
  const auto r = runTool({}, {.input = "[\n" + a + ",\n" + a + ",\n\n" + a + "\n]\n"});
  EXPECT_EQ(columnOf(r.out, "line"), (std::vector<std::string>{"2", "3", "5"}));
}

// Lines typed at a terminal, each sent as typed, then one Ctrl-D at a
// line's start: the run ends and writes every pass (nothing typed, CSV,
// and JSON, whose reader looks ahead once more after the end).
TEST(InputChecks, OneCtrlDEndsTerminalInput) {
  const std::string json = R"([{"R":100,"H1":2,"H2":1.5,"Y":20,"U":0.1}])" "\n";
  const std::vector<std::vector<std::string>> inputs{{}, {kHeader, kGood, kGood}, {json}};
  for (const std::vector<std::string>& lines : inputs) {
    const bool empty = lines.empty();
    int master = -1, slave = -1;
    ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
    int out[2];
    ASSERT_EQ(pipe(out), 0);
    const pid_t pid = fork();
    if (pid == 0) {
      dup2(slave, 0), dup2(out[1], 1), dup2(out[1], 2);
      for (const int fd : {master, slave, out[0], out[1]}) close(fd);
      alarm(10);  // a run still waiting for a second Ctrl-D ends by SIGALRM: not an exit
      execl(OROWAN_BATCH_BINARY, OROWAN_BATCH_BINARY, static_cast<char*>(nullptr));
      _exit(127);
    }
    close(slave), close(out[1]);
    for (const std::string& typed : lines) {
      ASSERT_EQ(write(master, typed.data(), typed.size()), static_cast<ssize_t>(typed.size()));
      usleep(100000);  // each line read on its own, as typed
    }
    ASSERT_EQ(write(master, "\x04", 1), 1);
    std::string shown;
    char buffer[4096];
    for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;) shown.append(buffer, static_cast<std::size_t>(n));
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    close(out[0]), close(master);
    EXPECT_TRUE(WIFEXITED(status)) << lines.size();
    if (!empty) {  // the hint, the header and every pass
      EXPECT_EQ(std::count(shown.begin(), shown.end(), '\n'), 1 + 1 + (lines.size() == 1 ? 1 : 2)) << shown;
    }
  }
}

}  // namespace

namespace {

// The last `n` fields of each CSV line (header included), for the
// passed-through columns, which come after every result column.
std::vector<std::string> lastFields(const std::string& csv, std::size_t n) {
  std::vector<std::string> out;
  std::size_t start = 0;
  while (start < csv.size()) {
    const std::size_t end = csv.find('\n', start);
    std::string line = csv.substr(start, end - start);
    std::size_t at = line.size();
    for (std::size_t k = 0; k < n; ++k) {
      bool quoted = false;
      while (at > 0 && (quoted || line[at - 1] != ',')) quoted ^= line[--at] == '"';
      if (k + 1 < n) --at;
    }
    out.push_back(line.substr(at));
    start = end + 1;
  }
  return out;
}

// --keep: identifying columns carried into the results as the input
// wrote them; the other unknown columns ignored with one warning, which
// fails nothing.
TEST(InputChecks, KeptColumnsArePassedThrough) {
  TempDir dir;
  const std::string csv = dir.write("k.csv", "COIL,R,H1,H2,Y,SGB,SGF,U,NOTE,X,Z\n"
                                             "A-17,100,2,1.5,20,0,0,0.1,\"first, \"\"hot\"\"\",1,1\n"
                                             "A-17,100,,1.2,20,0,0,0.1,,2,2\n");
  const auto r = runTool({csv, "--keep", "NOTE,COIL"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(lastFields(r.out, 2), (std::vector<std::string>{"NOTE,COIL", "\"first, \"\"hot\"\"\",A-17", ",A-17"}));
  EXPECT_EQ(r.err, csv + ":1: columns \"X\", \"Z\": unknown (ignored; --keep NAME,... carries such columns into the "
                         "results); the columns are R, H1, H2, Y, SGB, SGF, U, CURVE, K, N, EPS0, S0, EPS, E, NU, V, FLOW, C, A, M1 to M9, EPS_MIN, T, "
                         "TRANSFER, EMISSIVITY, H_CONV, T_AMBIENT, DESCALE, H_WATER, H_CONTACT, T_ROLL, ETA, RHO, CP, ALPHA\n");
  // the results themselves are those without the column
  const auto plain = runTool({}, {.input = "R,H1,H2,Y,SGB,SGF,U\n100,2,1.5,20,0,0,0.1\n100,,1.2,20,0,0,0.1\n"});
  EXPECT_EQ(columnOf(r.out, "ROLLING_FORCE"), columnOf(plain.out, "ROLLING_FORCE"));
  // after every result column, whatever the options add
  const auto swept = runTool({csv, "--keep", "COIL", "--solver", "console", "--vary", "U=0.1:0.2:0.1"});
  EXPECT_EQ(lastFields(swept.out, 2)[0], "H2_HOT,COIL");  // after every result column
  EXPECT_EQ(lastFields(swept.out, 1), (std::vector<std::string>{"COIL", "A-17", "A-17", "A-17", "A-17"}));
}

TEST(InputChecks, KeptJsonKeysKeepTheirKind) {
  const std::string input =
      R"([{"coil":"A-17","R":100,"H1":2,"H2":1.5,"Y":20,"U":0.1,"pass":1.50,"n":{"a":[1,{"b":2}]},"m":[3]},)"
      "\n" R"({"R":100,"H1":2,"H2":1.5,"Y":20,"U":0.1,"pass":true,"q":null}])";
  const auto r = runTool({"--keep", "coil,pass", "--json"}, {.input = input});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("\"TORQUE_ARM\":3.4466531,\"status\":\"ok\""), std::string::npos);
  EXPECT_NE(r.out.find("\"H2_HOT\":null,\"coil\":\"A-17\",\"pass\":1.50}"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\"H2_HOT\":null,\"coil\":null,\"pass\":true}"), std::string::npos) << r.out;
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;  // one warning for n, m and q
  EXPECT_EQ(r.err.substr(0, 28), "stdin:1: key \"n\": unknown (i");
  const auto object = runTool({"--keep", "coil"}, {.input = R"([{"coil":{"a":1},"R":100,"H1":2,"H2":1.5,"Y":20,"U":0.1}])"});
  EXPECT_EQ(object.status, 1);
  EXPECT_EQ(columnOf(object.out, "status"), std::vector<std::string>{"error"});
}

// Without --keep an unknown column or key is a note for the run, not a
// problem: status 0, every line's result; a JSON line that lacks a
// column for a misspelt key says what it lacks.
TEST(InputChecks, UnknownColumnsAreOneNote) {
  TempDir dir;
  const std::string csv = dir.write("p.csv", "R,H1,H2,Y,SGB,SGF,U,Q\n100,2,1.5,20,0,0,0.1,x\n");
  const auto c = runTool({csv});
  EXPECT_EQ(c.status, 0);
  EXPECT_EQ(columnOf(c.out, "ROLLING_FORCE"), std::vector<std::string>{"185.4864"});  // the console's 185.49
  EXPECT_EQ(c.err, csv + ":1: column \"Q\": unknown (ignored; --keep NAME,... carries such columns into the results); "
                         "the columns are R, H1, H2, Y, SGB, SGF, U, CURVE, K, N, EPS0, S0, EPS, E, NU, V, FLOW, C, A, M1 to M9, EPS_MIN, T, "
                         "TRANSFER, EMISSIVITY, H_CONV, T_AMBIENT, DESCALE, H_WATER, H_CONTACT, T_ROLL, ETA, RHO, CP, ALPHA\n");
  const std::string json = dir.write("p.json",
      "[{\"R\":100,\"H1\":2,\"H2\":1.5,\"Y\":20,\"U\":0.1,\"Q\":1},\n{\"R\":100,\"H1\":2,\"H2\":1.5,\"Y\":20,\"UU\":0.1}]");
  const auto j = runTool({json});
  EXPECT_EQ(j.status, 1);
  EXPECT_EQ(columnOf(j.out, "status"), (std::vector<std::string>{"ok", "error"}));
  EXPECT_EQ(j.err, json + ":1: key \"Q\": unknown (ignored, as every unknown key; --keep NAME,... carries such columns "
                          "into the results); the columns are R, H1, H2, Y, SGB, SGF, U, CURVE, K, N, EPS0, S0, EPS, E, NU, V, FLOW, C, A, M1 to M9, EPS_MIN, T, "
                         "TRANSFER, EMISSIVITY, H_CONV, T_AMBIENT, DESCALE, H_WATER, H_CONTACT, T_ROLL, ETA, RHO, CP, ALPHA\n" +
                       json + ":2: column U: missing\n");
}

struct BadKeep {
  std::vector<std::string> args;
  const char* err;
};

const BadKeep kBadKeeps[] = {
    {{"--keep", "R"}, "orowan-batch: --keep R: is an input column, already in the results\n"},
    {{"--keep", "COIL,status"}, "orowan-batch: --keep status: is the name of a result column; rename the input's column\n"},
    {{"--keep", "COIL,COIL"}, "orowan-batch: --keep COIL: is named twice\n"},
    {{"--keep", ""}, "orowan-batch: --keep: an empty column name\n"},
};

TEST(InputChecks, KeepRefusesNamesTheResultsTake) {
  for (const BadKeep& c : kBadKeeps) {
    const auto r = runTool(c.args, {.input = kHeader + kGood});
    EXPECT_EQ(r.status, 2) << c.err;
    EXPECT_EQ(r.err.substr(0, r.err.find('\n') + 1), c.err);
    EXPECT_EQ(r.out, "");
  }
}

}  // namespace
