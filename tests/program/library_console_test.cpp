// The library call against the console, pass by pass: at least 500
// generated passes (slipping, sticking, mixed, tensions, no neutral point,
// a neutral point on the exit plane, a crossing at the last exit step, and
// faults of every M number) run through the console dialogue and through
// solvePass. Every field the console prints must be the library's value
// put through the console's own field writer; every stored value the
// console keeps (the step history, SL/ST, the loads and the summary) must
// equal the library's bit for bit; a fault must carry the same number.
#include <gtest/gtest.h>

#include <bit>
#include <cfenv>
#include <csignal>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "analysis/pass.h"
#include "analysis/record.h"
#include "console/fixed_format.h"
#include "test_support.h"

namespace {

using orowan::Outcome;
using orowan::PassInput;
using orowan::PassResult;

// ---- generated passes -------------------------------------------------

// A 64-bit linear congruential generator: the same passes everywhere.
struct Numbers {
  std::uint64_t state;
  double fraction() {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<double>(state >> 11) / 9007199254740992.0;
  }
  float between(double low, double high) {
    return static_cast<float>(low + (high - low) * fraction());
  }
};

struct Case {
  std::string kind;
  PassInput in;
};

PassInput geometry(Numbers& n) {
  PassInput in;
  in.R = n.between(30, 400);
  in.H1 = n.between(0.5, 8);
  in.H2 = static_cast<float>(in.H1 * (1 - n.between(0.05, 0.4)));
  in.meanYieldStress = n.between(5, 60);  // 1.15 Y mostly inexact in single
  in.friction = n.between(0.03, 0.15);
  return in;
}

std::unique_ptr<PassResult> solve(const PassInput& in) {
  auto result = std::make_unique<PassResult>();
  orowan::solvePass(in, *result);
  return result;
}

// Back tensions around the edge where the neutral point leaves the exit
// plane: bisection to the last value with a neutral point, then that value
// and its neighbours one unit in the last place apart (the first pair's
// tolerance of 0.01 kgf/mm is crossed there).
void addExitPlaneEdge(PassInput in, std::vector<Case>& cases) {
  float low = 0, high = 2 * in.meanYieldStress;
  for (int i = 0; i < 60; ++i) {
    in.SGB = (low + high) / 2;
    (solve(in)->outcome == Outcome::neutralPoint ? low : high) = in.SGB;
  }
  float sgb = low;
  for (int k = 0; k < 4; ++k, sgb = std::nextafter(sgb, 1e9f)) {
    in.SGB = sgb;
    cases.push_back({"exit-plane edge", in});
  }
}

// Front tensions whose crossing is at the last exit step, found by a scan.
void addLastStepCrossings(PassInput in, int wanted, std::vector<Case>& cases) {
  for (int f = 1; f <= 4000 && wanted > 0; ++f) {
    in.SGF = static_cast<float>(f * 0.0005 * in.meanYieldStress);
    const auto r = solve(in);
    if (r->outcome == Outcome::neutralPoint && r->NEUTRAL_STEP == r->exit.steps) {
      cases.push_back({"crossing at the last exit step", in});
      --wanted;
    }
  }
}

PassInput typed(float R, float H1, float H2, float Y, float SGB, float SGF, float U) {
  PassInput in;
  in.R = R, in.H1 = H1, in.H2 = H2, in.meanYieldStress = Y, in.SGB = SGB, in.SGF = SGF;
  in.friction = U;
  return in;
}

// Inputs that fault in every stage the console can fault in, one or more
// per M number.
void addFaults(std::vector<Case>& cases) {
  const PassInput faults[] = {
      typed(100, 2, 0, 20, 0, 0, 0.1f),          // M6101: F/H = 0/0 in the exit march
      typed(100, 1.5f, 1.5f, 20, 0, 0, 0.1f),    // M6101: the torque arm 0/0
      typed(0, 2, 2, 20, 0, 0, 0.1f),            // M6101: the contact angle 0/0
      typed(100, 2, 1.5f, 0, 0, 0, 0.1f),        // M6101: yield 0, F/H/RK = 0/0
      typed(100, 2, 1.5f, 20, 0, 0, 0),          // M6103: friction 0
      typed(100, 2, 1.5f, 0, 0, 1, 0.1f),        // M6103: yield 0 with tension
      typed(1, 3, 1, 20, 0, 0, 0.1f),            // M6103: a reduction of 2R
      typed(100, 2, 1.5f, 3.4e38f, 0, 0, 0.1f),  // M6104: 1.15 Y
      typed(100, 2, 1.5f, 20, 0, 0, 1e-45f),     // M6104: -0.5/U
      typed(3.4028234e38f, 2, 1.5f, 20, 0, 0, 0.1f),  // M6104: the roll diameter
      typed(100, 1.5f, 2, 20, 0, 0, 0.1f),       // M6201: H2 > H1
      typed(100, 2, 1.5f, 20, 0, 1000, 0.1f),    // M6201: front tension, exit march
      typed(100, 2, 1.5f, 20, 1000, 0, 0.1f),    // M6201: back tension, entry march
  };
  for (const PassInput& in : faults) cases.push_back({"fault", in});
}

std::vector<Case> generateCases() {
  Numbers n{20261208};
  std::vector<Case> cases;
  for (int i = 0; i < 140; ++i) cases.push_back({"slip", geometry(n)});
  for (int i = 0; i < 80; ++i) {
    PassInput in = geometry(n);
    in.friction = n.between(0.5, 1.2);
    cases.push_back({"stick", in});
    in.friction = n.between(0.15, 0.4);
    cases.push_back({"mixed", in});
  }
  for (int i = 0; i < 100; ++i) {
    PassInput in = geometry(n);
    in.SGB = n.between(0, 0.6) * in.meanYieldStress;
    in.SGF = n.between(0, 0.6) * in.meanYieldStress;
    cases.push_back({"tensions", in});
  }
  for (int i = 0; i < 60; ++i) {
    PassInput in = geometry(n);
    in.SGF = n.between(0.6, 1.5) * in.meanYieldStress;
    cases.push_back({"large front tension", in});
  }
  addExitPlaneEdge(typed(100, 2, 1.5f, 20, 0, 0, 0.1f), cases);
  for (int i = 0; i < 5; ++i) addExitPlaneEdge(geometry(n), cases);
  addLastStepCrossings(typed(100, 2, 1.5f, 20, 0, 0, 0.1f), 2, cases);
  addLastStepCrossings(typed(200, 1, 0.8f, 30, 0, 0, 0.2f), 2, cases);
  for (int i = 0; i < 3; ++i) addLastStepCrossings(geometry(n), 1, cases);
  addFaults(cases);
  return cases;
}

// ---- the console's side -----------------------------------------------

// A float as text that reads back to the same float (17 digits of its
// double: the largest float must not be typed above its exact value).
std::string text(float v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.17g", static_cast<double>(v));
  return buf;
}

struct ConsoleRun {
  int status;
  std::string out, err;
  std::unique_ptr<orowan::AnalysisRecord> rec;  // what the console's pass left
};

// One pass of the dialogue on the in-memory console, answered 0 to the
// repeat prompt.
ConsoleRun runConsole(const PassInput& in) {
  const std::string input = text(in.R) + "\n" + text(in.H1) + " " + text(in.H2) + "\n" +
                            text(in.meanYieldStress) + "\n" + text(in.SGB) + " " +
                            text(in.SGF) + "\n" + text(in.friction) + "\n0\n";
  const testio::ProgramRun program = testio::runProgram(input);
  ConsoleRun run{program.status, program.out, program.err,
                 std::make_unique<orowan::AnalysisRecord>(orowan::rec)};
  return run;
}

std::vector<std::string> lines(const std::string& out) {
  std::vector<std::string> result;
  std::size_t from = 0;
  for (std::size_t at; (at = out.find("\r\n", from)) != std::string::npos; from = at + 2)
    result.push_back(out.substr(from, at - from));
  result.push_back(out.substr(from));
  return result;
}

// A field's text at record positions first.. (the console shows record
// position p at column p - 2: the first byte is the line advance).
std::string fieldAt(const std::string& line, int first, int width) {
  const std::size_t at = static_cast<std::size_t>(first - 2);
  return line.size() >= at + static_cast<std::size_t>(width) ? line.substr(at, width) : "";
}

std::string fixed(float value, int w, int d) {
  std::string field(static_cast<std::size_t>(w), ' ');
  orowan::console::formatFixed(value, w, d, field.data());
  return field;
}

// ---- comparisons --------------------------------------------------------

struct RowField {
  const char* label;
  int position, width, decimals;  // decimals -1: the I6 of SL/ST
  float (*value)(const orowan::StepValues&);
};

const RowField kRow[] = {
    {"X", 10, 8, 2, [](const orowan::StepValues& s) { return s.X; }},
    {"O", 18, 8, 2, [](const orowan::StepValues& s) { return s.O; }},
    {"SL/ST", 26, 6, -1, [](const orowan::StepValues& s) { return float(s.SL_ST); }},
    {"F", 37, 8, 2, [](const orowan::StepValues& s) { return s.F; }},
    {"P", 45, 8, 2, [](const orowan::StepValues& s) { return s.P; }},
    {"P/K", 53, 8, 3, [](const orowan::StepValues& s) { return s.P_K; }},
    {"SGX", 61, 8, 2, [](const orowan::StepValues& s) { return s.SGX; }},
    {"SGX/K", 69, 8, 3, [](const orowan::StepValues& s) { return s.SGX_K; }},
    {"TAU", 77, 8, 2, [](const orowan::StepValues& s) { return s.TAU; }},
    {"H", 89, 8, 2, [](const orowan::StepValues& s) { return s.H; }},
    {"U", 97, 8, 3, [](const orowan::StepValues& s) { return s.U; }},
    {"RK", 105, 8, 2, [](const orowan::StepValues& s) { return s.RK; }},
    {"A", 113, 8, 2, [](const orowan::StepValues& s) { return s.A; }},
    {"W", 121, 8, 3, [](const orowan::StepValues& s) { return s.W; }},
};

std::string expectedField(const RowField& f, const orowan::StepValues& s) {
  if (f.decimals >= 0) return fixed(f.value(s), f.width, f.decimals);
  std::string field(6, ' ');
  orowan::console::formatInteger(s.SL_ST, 6, 1, field.data());
  return field;
}

// The rows of one side's table (title, empty line, header, rows) against the
// library's steps 1, 11, 21, ...; returns the number of rows compared.
int compareTable(const std::vector<std::string>& shown, const char* title,
                 const orowan::March& march) {
  std::size_t i = 0;
  while (i < shown.size() && shown[i].find(title) == std::string::npos) ++i;
  int rows = 0;
  for (i += 3; i < shown.size() && shown[i].size() == 127; ++i, ++rows) {
    const int step = 1 + 10 * rows;
    if (step > march.steps) {
      ADD_FAILURE() << title << ": a row for step " << step << " of " << march.steps;
      return rows;
    }
    for (const RowField& f : kRow)
      EXPECT_EQ(fieldAt(shown[i], f.position, f.width), expectedField(f, march.step[step - 1]))
          << title << " step " << step << " " << f.label;
  }
  return rows;
}

// One side's step history in the console's record.
struct History {
  const orowan::StepArray &X, &PHI, &F, &P;
  const orowan::IntegerStepArray& SL_ST;
  int steps;
};

// Bits of one side's history against the library's steps of that side.
void compareSide(const char* side, const History& h, const orowan::March& march) {
  ASSERT_EQ(h.steps, march.steps) << side;
  auto bits = [](float v) { return std::bit_cast<std::uint32_t>(v); };
  for (int i = 1; i <= march.steps; ++i) {
    const orowan::StepValues& s = march.step[i - 1];
    ASSERT_EQ(bits(h.X(i).v), bits(s.X)) << side << " X " << i;
    ASSERT_EQ(bits(h.PHI(i).v), bits(s.PHI)) << side << " PHI " << i;
    ASSERT_EQ(bits(h.F(i).v), bits(s.F)) << side << " F " << i;
    ASSERT_EQ(bits(h.P(i).v), bits(s.P)) << side << " P " << i;
    ASSERT_EQ(h.SL_ST(i), s.SL_ST) << side << " SL/ST " << i;
  }
}

void compareHistory(const orowan::AnalysisRecord& rec, const PassResult& lib) {
  compareSide("exit", {rec.EXIT_X, rec.EXIT_PHI, rec.EXIT_F, rec.EXIT_P, rec.EXIT_SL_ST,
                       rec.EXIT_STEPS}, lib.exit);
  compareSide("entry", {rec.ENTRY_X, rec.ENTRY_PHI, rec.ENTRY_F, rec.ENTRY_P, rec.ENTRY_SL_ST,
                        rec.ENTRY_STEPS}, lib.entry);
}

struct SummaryField {
  const char* title;  // the title record above the value record
  int position, width, decimals;
  float PassResult::*value;
  orowan::Real orowan::AnalysisRecord::*stored;
};

const SummaryField kSummary[] = {
    {"* REDUCTION RATIO", 15, 8, 3, &PassResult::REDUCTION_RATIO,
     &orowan::AnalysisRecord::REDUCTION_RATIO},
    {"* CONTACT LENGTH", 16, 8, 2, &PassResult::XL, &orowan::AnalysisRecord::XL},
    {"* CONTACT LENGTH", 36, 8, 2, &PassResult::OM, &orowan::AnalysisRecord::OM},
    {"* NEUTRAL POINT", 16, 8, 2, &PassResult::XN, &orowan::AnalysisRecord::XN},
    {"* NEUTRAL POINT", 36, 8, 2, &PassResult::ON, &orowan::AnalysisRecord::ON},
    {"* NEUTRAL POINT PRESSURE", 15, 8, 2, &PassResult::NEUTRAL_F,
     &orowan::AnalysisRecord::NEUTRAL_F},
    {"* NEUTRAL POINT PRESSURE", 37, 8, 3, &PassResult::NEUTRAL_P,
     &orowan::AnalysisRecord::NEUTRAL_P},
    {"* MEAN ROLL PRESSURE", 16, 8, 2, &PassResult::PM, &orowan::AnalysisRecord::PM},
    {"* ROLLING FORCE AND TORQUE", 15, 8, 2, &PassResult::ROLLING_FORCE,
     &orowan::AnalysisRecord::ROLLING_FORCE},
    {"* ROLLING FORCE AND TORQUE", 35, 8, 3, &PassResult::G, &orowan::AnalysisRecord::G},
    {"* TORQUE ARM", 15, 8, 3, &PassResult::TORQUE_ARM, &orowan::AnalysisRecord::TORQUE_ARM},
};

// The value line under a summary title (titles are unique by whole line).
std::string valueLineUnder(const std::vector<std::string>& shown, const char* title) {
  const std::string line = std::string(8, ' ') + title;
  for (std::size_t i = 0; i + 1 < shown.size(); ++i)
    if (shown[i] == line) return shown[i + 1];
  return "";
}

void compareSummary(const std::vector<std::string>& shown, const orowan::AnalysisRecord& rec,
                    const PassResult& lib) {
  for (const SummaryField& f : kSummary) {
    EXPECT_EQ(fieldAt(valueLineUnder(shown, f.title), f.position, f.width),
              fixed(lib.*f.value, f.width, f.decimals))
        << f.title << " at " << f.position;
    EXPECT_EQ(std::bit_cast<std::uint32_t>((rec.*f.stored).v),
              std::bit_cast<std::uint32_t>(lib.*f.value))
        << f.title << " at " << f.position << ": stored value";
  }
  EXPECT_EQ(rec.NEUTRAL_STEP, lib.NEUTRAL_STEP);
}

// The M number of the console's report, 0 when there is none.
int reportedNumber(const std::string& err) {
  const std::size_t at = err.find("run-time error M");
  return at == std::string::npos ? 0 : std::stoi(err.substr(at + 16, 4));
}

struct Tally {
  int passes = 0, rows = 0, neutral = 0, none = 0, faults = 0, onExitPlane = 0, atLastStep = 0;
};

void compareCase(const Case& c, Tally& tally) {
  SCOPED_TRACE(c.kind + ": R " + text(c.in.R) + " H " + text(c.in.H1) + " " + text(c.in.H2) +
               " Y " + text(c.in.meanYieldStress) + " SGB " + text(c.in.SGB) + " SGF " +
               text(c.in.SGF) + " U " + text(c.in.friction));
  const ConsoleRun console = runConsole(c.in);
  const auto lib = solve(c.in);
  const std::vector<std::string> shown = lines(console.out);
  ++tally.passes;
  tally.rows += compareTable(shown, "Stress distribution on exit side.", lib->exit);
  tally.rows += compareTable(shown, "Stress distribution on entry side.", lib->entry);
  if (lib->outcome == Outcome::fault) {
    ++tally.faults;
    EXPECT_EQ(console.status, 1);
    EXPECT_EQ(reportedNumber(console.err), lib->fault.number);
    EXPECT_NE(console.err.find(lib->fault.message), std::string::npos) << console.err;
    return;
  }
  ASSERT_EQ(console.status, 0) << console.err;
  compareHistory(*console.rec, *lib);
  const bool none = lib->outcome == Outcome::noNeutralPoint;
  EXPECT_EQ(console.rec->NO_NEUTRAL_POINT, none ? 1 : 0);
  EXPECT_EQ(console.out.find("* NO NEUTRAL POINT") != std::string::npos, none);
  ++(none ? tally.none : tally.neutral);
  if (none) return;
  compareSummary(shown, *console.rec, *lib);
  tally.onExitPlane += lib->NEUTRAL_STEP == 1;
  tally.atLastStep += lib->NEUTRAL_STEP == lib->exit.steps;
}

TEST(LibraryAgainstConsole, EveryPrintedFieldAndStoredValue) {
  const std::vector<Case> cases = generateCases();
  ASSERT_GE(cases.size(), 500u);
  Tally tally;
  for (const Case& c : cases) compareCase(c, tally);
  // Each kind of outcome is well represented.
  EXPECT_GE(tally.neutral, 300);
  EXPECT_GE(tally.none, 20);
  EXPECT_GE(tally.faults, 13);
  EXPECT_GE(tally.onExitPlane, 6);
  EXPECT_GE(tally.atLastStep, 7);
  EXPECT_GE(tally.rows, 500 * 60);
  std::printf("%d passes: %d with a neutral point (%d on the exit plane, %d at the last exit "
              "step), %d without, %d faults; %d rows\n",
              tally.passes, tally.neutral, tally.onExitPlane, tally.atLastStep, tally.none,
              tally.faults, tally.rows);
}

}  // namespace
