// The library's marches side by side against the marches in turn (the
// console's order): faults in the exit march, in the entry march and in
// both, at several steps each. A fault is placed by a property table that
// is constant except at one position, the X of the chosen step of the
// chosen march: friction 0 there (0.5/U divides by zero, M6103) or a yield
// stress of 3.4e38 (the first slope overflows, M6104). The console's order
// meets the exit march's fault if there is one (the entry march never
// starts then), else the entry march's at its step.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "analysis/pass.h"

namespace {

using orowan::Outcome;
using orowan::PassInput;
using orowan::PassResult;
using orowan::PropertyPoints;
using orowan::Stage;

enum class Kind { none, friction, yield };

struct Placed {
  Kind kind;
  int step;  // the march step whose section holds the fault
};

struct Case {
  const char* what;
  Placed exit, entry;
};

constexpr Placed kNone{Kind::none, 0};

const Case kCases[] = {
    {"exit march at its first step", {Kind::friction, 1}, kNone},
    {"exit march at step 37", {Kind::friction, 37}, kNone},
    {"exit march at step 211", {Kind::yield, 211}, kNone},
    {"exit march at its last step", {Kind::friction, 400}, kNone},
    {"entry march at its first step", kNone, {Kind::yield, 1}},
    {"entry march at step 58", kNone, {Kind::friction, 58}},
    {"entry march at step 333", kNone, {Kind::yield, 333}},
    {"entry march at its last step", kNone, {Kind::friction, 400}},
    {"both: the entry march's fault comes first side by side", {Kind::friction, 300},
     {Kind::yield, 12}},
    {"both: the exit march's fault comes first", {Kind::yield, 5}, {Kind::friction, 390}},
    {"both at the same step", {Kind::yield, 150}, {Kind::friction, 150}},
};

// The example pass with constant tables: friction 0.1, yield stress 23.
const PropertyPoints kFlatFriction{2, {-1000, 10000}, {0.1f, 0.1f}};
const PropertyPoints kFlatYield{2, {-1000, 10000}, {23, 23}};

PassInput examplePass(const PropertyPoints& friction, const PropertyPoints& yield) {
  PassInput in;
  in.R = 100, in.H1 = 2, in.H2 = 1.5;
  in.frictionTable = &friction;
  in.yieldTable = &yield;
  return in;
}

// `flat` but for the single position x, where it takes `there`: intervals
// [-1000, x), [x, x+) and [x+, 10000) with x+ the next float (the empty
// intervals [x, x) and [x+, x+) between them hold nothing). Outside x the
// value is the flat table's to the bit: (X - left) times a zero slope plus it.
PropertyPoints withFaultAt(const PropertyPoints& flat, float x, float there) {
  const float next = std::nextafter(x, 1e9f);
  const float v = flat.values[0];
  return {6, {-1000, x, x, next, next, 10000}, {v, v, there, there, v, v}};
}

std::unique_ptr<PassResult> solve(const PassInput& in, bool inTurn) {
  auto result = std::make_unique<PassResult>();
  (inTurn ? orowan::solvePassInTurn : orowan::solvePass)(in, *result);
  return result;
}

std::vector<std::uint32_t> bitsOf(const orowan::March& m) {
  std::vector<std::uint32_t> bits{static_cast<std::uint32_t>(m.steps)};
  for (int i = 0; i < m.steps; ++i) {
    const orowan::StepValues& s = m.step[i];
    for (float v : {s.X, s.PHI, s.O, s.F, s.P, s.P_K, s.SGX, s.SGX_K, s.TAU, s.H, s.U, s.RK,
                    s.A, s.W})
      bits.push_back(std::bit_cast<std::uint32_t>(v));
    bits.push_back(static_cast<std::uint32_t>(s.SL_ST));
  }
  return bits;
}

// Whether X of some step of `m` equals x (a fault placed at x would meet it).
bool reaches(const orowan::March& m, float x) {
  for (int i = 0; i < m.steps; ++i)
    if (m.step[i].X == x) return true;
  return false;
}

int numberOf(Kind kind) { return kind == Kind::friction ? 6103 : 6104; }

// The fault the console's order meets: the exit march's if placed, else the
// entry march's.
struct Expected {
  Stage stage;
  Placed placed;
};
Expected expectedFault(const Case& c) {
  if (c.exit.kind != Kind::none) return {Stage::exitMarch, c.exit};
  return {Stage::entryMarch, c.entry};
}

TEST(SideBySide, FaultsInEitherMarchAreTheConsolesFaults) {
  const auto flat = solve(examplePass(kFlatFriction, kFlatYield), true);
  ASSERT_EQ(flat->outcome, Outcome::neutralPoint);
  ASSERT_EQ(flat->exit.steps, 400);
  ASSERT_EQ(flat->entry.steps, 400);
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    PropertyPoints friction = kFlatFriction, yield = kFlatYield;
    for (const auto& [placed, march, other] :
         {std::tuple{c.exit, &flat->exit, &flat->entry},
          std::tuple{c.entry, &flat->entry, &flat->exit}}) {
      if (placed.kind == Kind::none) continue;
      const float x = march->step[placed.step - 1].X;
      ASSERT_FALSE(reaches(*other, x)) << "the other march meets the fault too";
      PropertyPoints& table = placed.kind == Kind::friction ? friction : yield;
      table = withFaultAt(table, x, placed.kind == Kind::friction ? 0.0f : 3.4e38f);
    }
    const PassInput in = examplePass(friction, yield);
    const auto sideBySide = solve(in, false);
    const auto inTurn = solve(in, true);
    const Expected want = expectedFault(c);

    for (const PassResult* r : {sideBySide.get(), inTurn.get()}) {
      ASSERT_EQ(r->outcome, Outcome::fault);
      EXPECT_EQ(r->fault.stage, want.stage);
      EXPECT_EQ(r->fault.step, want.placed.step);
      EXPECT_EQ(r->fault.number, numberOf(want.placed.kind));
    }
    EXPECT_STREQ(sideBySide->fault.message, inTurn->fault.message);
    // The steps before the fault are the flat pass's; none after it.
    const bool inExit = want.stage == Stage::exitMarch;
    EXPECT_EQ(sideBySide->exit.steps, inExit ? want.placed.step - 1 : 400);
    EXPECT_EQ(sideBySide->entry.steps, inExit ? 0 : want.placed.step - 1);
    EXPECT_EQ(bitsOf(sideBySide->exit), bitsOf(inTurn->exit));
    EXPECT_EQ(bitsOf(sideBySide->entry), bitsOf(inTurn->entry));
    orowan::March flatPart = flat->exit;
    flatPart.steps = sideBySide->exit.steps;
    EXPECT_EQ(bitsOf(sideBySide->exit), bitsOf(flatPart));
  }
}

// After a fault side by side, the next pass of the thread is whole again:
// the traps are back for the pass solved again in turn, and nothing of the
// faulting pass stays behind.
TEST(SideBySide, APassAfterAFaultIsTheSameAsBefore) {
  const PassInput flatPass = examplePass(kFlatFriction, kFlatYield);
  const auto before = solve(flatPass, false);
  const auto flatInTurn = solve(flatPass, true);
  const PropertyPoints friction = withFaultAt(kFlatFriction, before->entry.step[57].X, 0);
  for (int round = 0; round < 3; ++round) {
    const auto faulted = solve(examplePass(friction, kFlatYield), false);
    ASSERT_EQ(faulted->outcome, Outcome::fault);
    EXPECT_EQ(faulted->fault.step, 58);
    const auto after = solve(flatPass, false);
    ASSERT_EQ(after->outcome, Outcome::neutralPoint);
    EXPECT_EQ(bitsOf(after->exit), bitsOf(before->exit));
    EXPECT_EQ(bitsOf(after->entry), bitsOf(flatInTurn->entry));
    EXPECT_EQ(std::bit_cast<std::uint32_t>(after->ROLLING_FORCE),
              std::bit_cast<std::uint32_t>(flatInTurn->ROLLING_FORCE));
  }
}

}  // namespace

namespace {

// Every value of a result as bits, for whole results.
std::vector<std::uint32_t> allBitsOf(const PassResult& r) {
  std::vector<std::uint32_t> bits{static_cast<std::uint32_t>(r.outcome),
                                  static_cast<std::uint32_t>(r.NEUTRAL_STEP)};
  for (float v : {r.ROLL_DIAMETER, r.F_EXIT_PLANE, r.F_ENTRY_PLANE, r.DH, r.XL, r.CONTACT_ANGLE,
                  r.ANGLE_STEP, r.ROLLING_FORCE, r.G, r.TORQUE_ARM, r.PM, r.REDUCTION_RATIO,
                  r.OM, r.XN, r.ON, r.NEUTRAL_F, r.NEUTRAL_P})
    bits.push_back(std::bit_cast<std::uint32_t>(v));
  for (const orowan::March* m : {&r.exit, &r.entry}) {
    const std::vector<std::uint32_t> march = bitsOf(*m);
    bits.insert(bits.end(), march.begin(), march.end());
  }
  return bits;
}

// Marches of different lengths: the accumulated angles of the two sides
// round differently, so one march may take a step more than the other and
// finish alone (the step counts depend on the geometry only; about one
// pass in 200 of the grid below). Such passes, slipping and sticking, give
// the bits of the marches in turn.
TEST(SideBySide, AMarchThatGoesOnAloneGivesTheBitsOfTheMarchesInTurn) {
  int exitLonger = 0, entryLonger = 0;
  for (int a = 0; a < 60 && (exitLonger < 2 || entryLonger < 2); ++a) {
    for (int b = 0; b < 60 && (exitLonger < 2 || entryLonger < 2); ++b) {
      PassInput in;
      in.R = 20.0f + 7.3f * static_cast<float>(a);
      in.H1 = 1.0f + 0.11f * static_cast<float>(b);
      in.H2 = in.H1 * (0.6f + 0.005f * static_cast<float>(a));
      in.meanYieldStress = 20;
      in.friction = 0.1f;
      const auto slipping = solve(in, false);
      const int exitSteps = slipping->exit.steps, entrySteps = slipping->entry.steps;
      if (exitSteps == entrySteps) continue;
      ++(exitSteps > entrySteps ? exitLonger : entryLonger);
      SCOPED_TRACE("R " + std::to_string(in.R) + " H1 " + std::to_string(in.H1));
      EXPECT_EQ(allBitsOf(*slipping), allBitsOf(*solve(in, true)));
      in.friction = 0.9f;
      const auto sticking = solve(in, false);
      EXPECT_EQ(sticking->exit.step[0].SL_ST, 2);
      EXPECT_EQ(allBitsOf(*sticking), allBitsOf(*solve(in, true)));
    }
  }
  EXPECT_GE(exitLonger, 2);
  EXPECT_GE(entryLonger, 2);
}

}  // namespace
