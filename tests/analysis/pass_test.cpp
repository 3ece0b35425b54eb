// The library call: faults as values with the console's numbers and where
// they happened, the caller's floating-point environment and signal
// disposition left as they were, and passes in several threads at once.
#include "analysis/pass.h"

#include "analysis/fault.h"

#include <gtest/gtest.h>

#include <bit>
#include <cfenv>
#include <csignal>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

using orowan::Outcome;
using orowan::PassInput;
using orowan::PassResult;
using orowan::Stage;

PassInput pass(float R, float H1, float H2, float Y, float SGB, float SGF, float U) {
  PassInput in;
  in.R = R, in.H1 = H1, in.H2 = H2, in.meanYieldStress = Y, in.SGB = SGB, in.SGF = SGF;
  in.friction = U;
  return in;
}

// Every value a result holds, as bits: outcome, fault, geometry, the steps
// of both marches up to their counts, loads and summary.
std::vector<std::uint32_t> bitsOf(const PassResult& r) {
  std::vector<std::uint32_t> bits{static_cast<std::uint32_t>(r.outcome),
                                  static_cast<std::uint32_t>(r.fault.number),
                                  static_cast<std::uint32_t>(r.fault.stage),
                                  static_cast<std::uint32_t>(r.fault.step)};
  for (char c : std::string(r.fault.message)) bits.push_back(static_cast<unsigned char>(c));
  auto add = [&](float v) { bits.push_back(std::bit_cast<std::uint32_t>(v)); };
  for (float v : {r.ROLL_DIAMETER, r.F_EXIT_PLANE, r.F_ENTRY_PLANE, r.DH, r.XL, r.CONTACT_ANGLE,
                  r.ANGLE_STEP, r.ROLLING_FORCE, r.G, r.TORQUE_ARM, r.PM, r.REDUCTION_RATIO,
                  r.OM, r.XN, r.ON, r.NEUTRAL_F, r.NEUTRAL_P})
    add(v);
  bits.push_back(static_cast<std::uint32_t>(r.NEUTRAL_STEP));
  for (const orowan::March* m : {&r.exit, &r.entry}) {
    bits.push_back(static_cast<std::uint32_t>(m->steps));
    for (int i = 0; i < m->steps; ++i) {
      const orowan::StepValues& s = m->step[i];
      for (float v : {s.X, s.PHI, s.O, s.F, s.P, s.P_K, s.SGX, s.SGX_K, s.TAU, s.H, s.U, s.RK,
                      s.A, s.W})
        add(v);
      bits.push_back(static_cast<std::uint32_t>(s.SL_ST));
    }
  }
  return bits;
}

std::unique_ptr<PassResult> solve(const PassInput& in) {
  auto result = std::make_unique<PassResult>();
  orowan::solvePass(in, *result);
  return result;
}

struct FaultCase {
  const char* what;
  PassInput in;
  int number;
  const char* message;
  Stage stage;
  int step;
};

// The faults the console reports for these inputs, and where each arises.
const FaultCase kFaults[] = {
    {"yield x 1.15 overflows", pass(100, 2, 1.5, 3.4e38f, 0, 0, 0.1), 6104,
     "floating-point error: overflow", Stage::input, 0},
    {"H2 > H1: sqrt of a negative", pass(100, 1.5, 2, 20, 0, 0, 0.1), 6201,
     "sqrt: DOMAIN error", Stage::geometry, 0},
    {"R = 0, no reduction: XL/(R - 0) = 0/0", pass(0, 2, 2, 20, 0, 0, 0.1), 6101,
     "floating-point error: invalid", Stage::geometry, 0},
    {"reduction of 2R: XL/0", pass(1, 3, 1, 20, 0, 0, 0.1), 6103,
     "floating-point error: divide by zero", Stage::geometry, 0},
    {"friction 0: b = -(0.5/0)", pass(100, 2, 1.5, 20, 0, 0, 0), 6103,
     "floating-point error: divide by zero", Stage::exitMarch, 1},
    {"friction and yield 0 fail at b first", pass(100, 2, 1.5, 0, 0, 0, 0), 6103,
     "floating-point error: divide by zero", Stage::exitMarch, 1},
    {"yield 0, no tension: F/H/RK = 0/0", pass(100, 2, 1.5, 0, 0, 0, 0.1), 6101,
     "floating-point error: invalid", Stage::exitMarch, 1},
    {"yield 0 with front tension: x/0", pass(100, 2, 1.5, 0, 0, 1, 0.1), 6103,
     "floating-point error: divide by zero", Stage::exitMarch, 1},
    {"H2 = 0: F/H = 0/0", pass(100, 2, 0, 20, 0, 0, 0.1), 6101,
     "floating-point error: invalid", Stage::exitMarch, 1},
    // B c 4 + b^2 = (1 - 1500/1.5/23) 0.2146 4 + 25 < 0
    {"front tension far beyond yield", pass(100, 2, 1.5, 20, 0, 1000, 0.1), 6201,
     "sqrt: DOMAIN error", Stage::exitMarch, 1},
    {"back tension far beyond yield", pass(100, 2, 1.5, 20, 1000, 0, 0.1), 6201,
     "sqrt: DOMAIN error", Stage::entryMarch, 1},
    // one step a side, every width 0: the torque arm is 0/0
    {"no reduction: the torque arm", pass(100, 1.5, 1.5, 20, 0, 0, 0.1), 6101,
     "floating-point error: invalid", Stage::load, 0},
};

TEST(Pass, FaultsAreValuesWithTheirNumberAndPlace) {
  for (const FaultCase& c : kFaults) {
    SCOPED_TRACE(c.what);
    const auto result = solve(c.in);
    ASSERT_EQ(result->outcome, Outcome::fault);
    EXPECT_EQ(result->fault.number, c.number);
    EXPECT_STREQ(result->fault.message, c.message);
    EXPECT_EQ(result->fault.stage, c.stage);
    EXPECT_EQ(result->fault.step, c.step);
    // the steps before the fault are there, the faulting one is not
    const int exitSteps = c.stage == Stage::exitMarch ? c.step - 1 : c.stage > Stage::exitMarch;
    if (c.stage <= Stage::exitMarch) {
      EXPECT_EQ(result->exit.steps, exitSteps);
    }
  }
}

// The example pass: R 100, H 2 -> 1.5, yield 20, no tension, friction 0.1,
// whose summary the console prints as 185.49 t/m, 1.279 t m/m, 3.447 mm.
TEST(Pass, ExamplePassAfterAFaultIsUntouchedByIt) {
  const auto before = solve(pass(100, 2, 1.5, 20, 0, 0, 0.1));
  solve(pass(100, 2, 1.5, 20, 1000, 0, 0.1));  // faults in the entry march
  const auto after = solve(pass(100, 2, 1.5, 20, 0, 0, 0.1));
  ASSERT_EQ(after->outcome, Outcome::neutralPoint);
  EXPECT_EQ(after->NEUTRAL_STEP, 130);
  EXPECT_NEAR(after->ROLLING_FORCE, 185.49, 0.005);
  EXPECT_NEAR(after->G, 1.279, 0.0005);
  EXPECT_NEAR(after->TORQUE_ARM, 3.447, 0.0005);
  EXPECT_EQ(after->exit.steps, 400);
  EXPECT_EQ(after->entry.steps, 400);
  EXPECT_EQ(bitsOf(*before), bitsOf(*after));
}

void callersFaultHandler(int, const char*) {}

// The thread's fault handler is the caller's again after a pass, faulting
// or not.
TEST(Pass, LeavesTheCallersFaultHandler) {
  orowan::setFaultHandler(callersFaultHandler);
  solve(pass(100, 2, 1.5, 20, 0, 0, 0.1));
  EXPECT_EQ(orowan::currentFaultHandler(), callersFaultHandler);
  solve(pass(100, 2, 1.5, 20, 0, 0, 0));
  EXPECT_EQ(orowan::currentFaultHandler(), callersFaultHandler);
  orowan::setFaultHandler(nullptr);
}

int otherHandlerCalls = 0;
void otherHandler(int) { ++otherHandlerCalls; }

// The caller's rounding, traps, flags and SIGFPE disposition come back,
// and the analysis runs in its own environment regardless of them.
TEST(Pass, LeavesTheCallersEnvironmentAsItFoundIt) {
  const auto reference = solve(pass(300, 4.44f, 3.434f, 15.2f, 0, 0, 0.15f));
  struct sigaction mine = {}, seen = {};
  mine.sa_handler = otherHandler;
  sigaction(SIGFPE, &mine, nullptr);
  std::fesetround(FE_UPWARD);
  std::feraiseexcept(FE_INEXACT);
  for (const PassInput& in : {pass(300, 4.44f, 3.434f, 15.2f, 0, 0, 0.15f),
                              pass(100, 2, 1.5, 20, 0, 0, 0)}) {
    const auto result = solve(in);
    EXPECT_EQ(std::fegetround(), FE_UPWARD);
    EXPECT_EQ(fegetexcept(), 0);
    EXPECT_EQ(std::fetestexcept(FE_ALL_EXCEPT), FE_INEXACT);
    sigaction(SIGFPE, nullptr, &seen);
    EXPECT_EQ(seen.sa_handler, otherHandler);
    if (result->outcome != Outcome::fault) {
      EXPECT_EQ(bitsOf(*result), bitsOf(*reference));
    }
  }
  std::fesetenv(FE_DFL_ENV);
  signal(SIGFPE, SIG_DFL);
  EXPECT_EQ(otherHandlerCalls, 0);
}

// Slipping, sticking, tensioned and faulting passes, two threads at once,
// each pass many times: every result equals the one computed alone.
TEST(Pass, ThreadsGiveTheResultsOfOneThread) {
  const std::vector<PassInput> inputs = {
      pass(100, 2, 1.5, 20, 0, 0, 0.1),  pass(100, 2, 1.5, 20, 0, 0, 1.0),
      pass(200, 1, 0.8, 30, 0, 0, 0.2),  pass(100, 2, 1.5, 20, 5, 2, 0.1),
      pass(100, 2, 1.5, 20, 0, 0, 0),    pass(100, 2, 1.5, 20, 1000, 0, 0.1),
      pass(100, 2, 1.5, 20, 10, 0, 0.1), pass(100, 1.5, 1.5, 20, 0, 0, 0.1),
  };
  std::vector<std::vector<std::uint32_t>> alone;
  for (const PassInput& in : inputs) alone.push_back(bitsOf(*solve(in)));
  auto work = [&](int offset, int& mismatches) {
    auto result = std::make_unique<PassResult>();
    for (int round = 0; round < 40; ++round)
      for (std::size_t k = 0; k < inputs.size(); ++k) {
        const std::size_t i = (k + static_cast<std::size_t>(offset)) % inputs.size();
        orowan::solvePass(inputs[i], *result);
        if (bitsOf(*result) != alone[i]) ++mismatches;
      }
  };
  int first = 0, second = 0;
  std::thread a(work, 0, std::ref(first)), b(work, 3, std::ref(second));
  a.join();
  b.join();
  EXPECT_EQ(first, 0);
  EXPECT_EQ(second, 0);
}

}  // namespace
