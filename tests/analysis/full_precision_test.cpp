// Every stored value of the library call against independent reference
// values at full single precision (tests/data/samples/full-precision.json:
// 300 passes of every outcome, computed outside this project). The console
// prints most of these values to two or three decimals, so a fault in
// their last bits (an angle converted with the constants in another order,
// a summary angle with a different pi) shows here and nowhere else.
//
// Both solvers of the library are compared: the marches side by side
// (solvePass) and in turn (solvePassInTurn), summary and every step's X,
// PHI, O, F, P on both sides, bit for bit, and the outcome or fault number.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <memory>
#include <string>

#include <nlohmann/json.hpp>

#include "analysis/pass.h"
#include "console/value_text.h"

namespace {

using nlohmann::json;
using orowan::PassInput;
using orowan::PassResult;

json loadReference() {
  std::ifstream in(std::string(OROWAN_TEST_DATA) + "/samples/full-precision.json");
  return json::parse(in);
}

// The single-precision value a reference number stands for. The JSON
// parser gives the double nearest the decimal text; rounding that double
// to single lands on the single nearest the text itself unless the double
// lies within one double unit of a point halfway between two singles, where
// the text could be on the other side. No reference number may lie there.
float referenceFloat(const json& number) {
  const double d = number.get<double>();
  const float f = static_cast<float>(d);
  const double below = std::nextafter(f, -INFINITY), above = std::nextafter(f, INFINITY);
  const double slack = std::abs(d) * 0x1p-52;
  for (double halfway : {(below + f) / 2, (double(f) + above) / 2})
    if (std::abs(d - halfway) <= slack) ADD_FAILURE() << "ambiguous reference number " << d;
  return f;
}

// The typed text of one input, as the console reads a REAL.
float typed(const json& input, const char* name) {
  const std::string text = input.at(name).get<std::string>();
  float value = 0;
  EXPECT_EQ(orowan::console::readRealText(text.data(), int(text.size()), value), 0) << name;
  return value;
}

PassInput inputOf(const json& entry) {
  const json& in = entry.at("input");
  PassInput p;
  p.R = typed(in, "R");
  p.H1 = typed(in, "H1");
  p.H2 = typed(in, "H2");
  p.meanYieldStress = typed(in, "Y");
  p.SGB = typed(in, "SGB");
  p.SGF = typed(in, "SGF");
  p.friction = typed(in, "U");
  return p;
}

// The reference's status as the library's outcome and fault number.
std::string statusOf(const PassResult& r) {
  switch (r.outcome) {
    case orowan::Outcome::neutralPoint: return "ok";
    case orowan::Outcome::noNeutralPoint: return "no-neutral";
    case orowan::Outcome::fault: return "M" + std::to_string(r.fault.number);
  }
  return "?";
}

struct SummaryColumn {
  const char* name;
  float PassResult::*value;
};
constexpr SummaryColumn kSummary[] = {
    {"REDUCTION_RATIO", &PassResult::REDUCTION_RATIO}, {"XL", &PassResult::XL},
    {"OM", &PassResult::OM}, {"XN", &PassResult::XN}, {"ON", &PassResult::ON},
    {"NEUTRAL_F", &PassResult::NEUTRAL_F}, {"NEUTRAL_P", &PassResult::NEUTRAL_P},
    {"PM", &PassResult::PM}, {"ROLLING_FORCE", &PassResult::ROLLING_FORCE},
    {"G", &PassResult::G}, {"TORQUE_ARM", &PassResult::TORQUE_ARM},
};

struct StepColumn {
  const char* name;
  float orowan::StepValues::*value;
};
constexpr StepColumn kSteps[] = {
    {"X", &orowan::StepValues::X}, {"PHI", &orowan::StepValues::PHI},
    {"O", &orowan::StepValues::O}, {"F", &orowan::StepValues::F},
    {"P", &orowan::StepValues::P},
};

bool sameBits(float a, float b) { return std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b); }

// Compares one pass; returns how many values were compared.
long comparePass(const json& entry, const PassResult& r, const std::string& pass) {
  long compared = 1;
  EXPECT_EQ(statusOf(r), entry.at("status").get<std::string>()) << pass;
  if (!entry.contains("summary")) return compared;
  for (const auto& [name, value] : entry.at("summary").items()) {
    const SummaryColumn* column = nullptr;
    for (const auto& c : kSummary)
      if (name == c.name) column = &c;
    if (column == nullptr) {
      ADD_FAILURE() << pass << ": summary column " << name << " unknown";
      continue;
    }
    const float want = referenceFloat(value), got = r.*(column->value);
    EXPECT_TRUE(sameBits(got, want)) << pass << ", summary, " << name << ": " << got << " against "
                                     << want;
    ++compared;
  }
  for (const auto& [side, march] : {std::pair{"exit", &r.exit}, std::pair{"entry", &r.entry}}) {
    const json& columns = entry.at("steps").at(side);
    for (const auto& column : kSteps) {
      const json& values = columns.at(column.name);
      EXPECT_EQ(int(values.size()), march->steps) << pass << ", " << side << ", steps";
      for (int i = 0; i < march->steps && i < int(values.size()); ++i, ++compared) {
        const float want = referenceFloat(values[i]), got = march->step[i].*(column.value);
        EXPECT_TRUE(sameBits(got, want)) << pass << ", " << side << " step " << i + 1 << ", "
                                         << column.name << ": " << got << " against " << want;
      }
    }
  }
  return compared;
}

struct Solver {
  const char* name;
  void (*solve)(const PassInput&, PassResult&);
};
constexpr Solver kSolvers[] = {
    {"side by side", orowan::solvePass},
    {"in turn", orowan::solvePassInTurn},
};

TEST(FullPrecision, EveryStoredValueEqualsTheReference) {
  const json reference = loadReference();
  ASSERT_EQ(reference.size(), 300u);
  auto result = std::make_unique<PassResult>();
  for (const auto& solver : kSolvers) {
    long compared = 0;
    for (std::size_t i = 0; i < reference.size(); ++i) {
      solver.solve(inputOf(reference[i]), *result);
      compared += comparePass(reference[i], *result,
                              std::string(solver.name) + ", pass " + std::to_string(i + 1));
    }
    // The reference holds 300 outcomes, 2,368 summary values and 1,089,130
    // step values: every one was compared.
    EXPECT_EQ(compared, 300 + 2368 + 1089130) << solver.name;
  }
}

// The set is worth comparing: every outcome, both kinds of step.
TEST(FullPrecision, TheReferenceHoldsEveryOutcome) {
  const json reference = loadReference();
  int ok = 0, noNeutral = 0, faults = 0, sticking = 0;
  auto result = std::make_unique<PassResult>();
  for (const auto& entry : reference) {
    const std::string status = entry.at("status").get<std::string>();
    ok += status == "ok";
    noNeutral += status == "no-neutral";
    faults += status.front() == 'M';
    orowan::solvePass(inputOf(entry), *result);
    bool sticks = false;
    for (int i = 0; i < result->exit.steps; ++i) sticks |= result->exit.step[i].SL_ST == 2;
    sticking += sticks;
  }
  EXPECT_EQ(ok, 194);
  EXPECT_EQ(noNeutral, 78);
  EXPECT_EQ(faults, 28);
  EXPECT_GT(sticking, 10);
}

}  // namespace
