// The library call: one pass of the analysis on the calling thread's
// record, with the floating-point traps of the console in force for the
// call only. A fault jumps back here through the thread's fault handler
// (analysis/fault.h: the frames in between hold nothing to destroy).
#include "analysis/pass.h"

#include <cfenv>
#include <cmath>
#include <csetjmp>
#include <csignal>
#include <mutex>

#include "analysis/analysis.h"
#include "analysis/fault.h"
#include "analysis/side_by_side.h"

namespace orowan {
namespace {

// ---- the call's state, per thread

struct CallState {
  sigjmp_buf jump;
  PassResult* result;
  Stage stage;
  int lastStep;  // the last step the current march completed
  bool marchesSideBySide;  // in the marches side by side: a fault's place is unknown
};

thread_local constinit CallState* current = nullptr;

[[noreturn]] void recordFault(int number, const char* message) {
  CallState& call = *current;
  Fault& fault = call.result->fault;
  fault.number = number;
  std::size_t n = 0;
  for (; message[n] != '\0' && n + 1 < sizeof fault.message; ++n) fault.message[n] = message[n];
  fault.message[n] = '\0';
  fault.stage = call.stage;
  const bool march = call.stage == Stage::exitMarch || call.stage == Stage::entryMarch;
  fault.step = march ? call.lastStep + 1 : 0;
  siglongjmp(call.jump, 1);
}

// ---- the trap handler, installed while any thread is inside a call

#ifdef OROWAN_CHECKED_ARITHMETIC
struct TrapHandlerInUse {
  TrapHandlerInUse() {}  // checked arithmetic: no traps, no handler
};
#else
std::mutex handlerLock;
int callsInside = 0;
struct sigaction previousAction;

// A trap of a thread inside a call is its fault; any other goes to the
// disposition that was there before.
void onTrap(int signal, siginfo_t* info, void* context) {
  if (current != nullptr) raiseTrappedFault(info->si_code);
  if ((previousAction.sa_flags & SA_SIGINFO) != 0) {
    previousAction.sa_sigaction(signal, info, context);
  } else if (previousAction.sa_handler != SIG_DFL && previousAction.sa_handler != SIG_IGN) {
    previousAction.sa_handler(signal);
  } else {
    std::signal(SIGFPE, SIG_DFL);  // the faulting instruction runs again and ends the process
  }
}

// Counts the threads inside a call: the first installs the handler (not
// blocked while it runs, so that the jump out of it leaves the signal
// open), the last puts the previous disposition back.
struct TrapHandlerInUse {
  TrapHandlerInUse() {
    std::lock_guard lock(handlerLock);
    if (callsInside++ > 0) return;
    struct sigaction action = {};
    action.sa_sigaction = onTrap;
    action.sa_flags = SA_SIGINFO | SA_NODEFER;
    sigemptyset(&action.sa_mask);
    sigaction(SIGFPE, &action, &previousAction);
  }
  ~TrapHandlerInUse() {
    std::lock_guard lock(handlerLock);
    if (--callsInside == 0) sigaction(SIGFPE, &previousAction, nullptr);
  }
};
#endif

// The console's environment: round to nearest, no flags, the three traps.
// Set again after a fault, since the trap's handler runs with the traps
// masked and the jump out of it keeps them so. Checked arithmetic
// (analysis/wide.h) finds the faults itself and wants no traps.
void enterConsoleEnvironment() {
  std::fesetenv(FE_DFL_ENV);  // round to nearest, no flags, no traps
#ifndef OROWAN_CHECKED_ARITHMETIC
  feenableexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW);
#endif
}

// The analysis runs with the console's environment; the caller's
// environment and fault handler come back however the call ends.
struct CallerEnvironment {
  std::fenv_t saved;
  FaultHandler handler = currentFaultHandler();
  CallerEnvironment() {
    std::fegetenv(&saved);
    enterConsoleEnvironment();
    setFaultHandler(recordFault);
  }
  ~CallerEnvironment() {
    std::fesetenv(&saved);
    setFaultHandler(handler);
  }
};

// ---- the stages of a pass

// The march observer of the call in the console's order: every step into
// the result.
void keepStep(void* context, Side side, int step, bool rowDue) {
  CallState& call = *static_cast<CallState*>(context);
  March& march = side == Side::exit ? call.result->exit : call.result->entry;
  march.step[step - 1] = stepValuesOf(rec, rec.PI, rowDue);
  march.steps = step;
  call.lastStep = step;
}

// A table of the input into the record's table.
void copyTable(const PropertyPoints& points, PropertyTable& table) {
  const int count = points.count < 0 ? 0 : points.count > kTableCapacity ? kTableCapacity : points.count;
  table.count = count;
  for (int k = 0; k < count; ++k) {
    table.positions[k] = points.positions[k];
    table.values[k] = points.values[k];
  }
}

// The typed values and the property tables, as the dialogue sets them.
void setInputs(const PassInput& input) {
  startPass();
  rec.R = input.R;
  rec.H1 = input.H1;
  rec.H2 = input.H2;
  rec.MEAN_YIELD_STRESS = input.meanYieldStress;
  if (input.yieldTable != nullptr) copyTable(*input.yieldTable, rec.yieldTable);
  else fillYieldTable();
  rec.SGB = input.SGB;
  rec.SGF = input.SGF;
  rec.frictionTable.values[0] = input.friction;
  if (input.frictionTable != nullptr) copyTable(*input.frictionTable, rec.frictionTable);
  else fillFrictionTable();
}

// The result's single values and the record fields they come from.
struct FieldCopy {
  float PassResult::*to;
  Real AnalysisRecord::*from;
};
constexpr FieldCopy kGeometry[] = {
    {&PassResult::ROLL_DIAMETER, &AnalysisRecord::ROLL_DIAMETER},
    {&PassResult::F_EXIT_PLANE, &AnalysisRecord::F_EXIT_PLANE},
    {&PassResult::F_ENTRY_PLANE, &AnalysisRecord::F_ENTRY_PLANE},
    {&PassResult::DH, &AnalysisRecord::DH},
    {&PassResult::XL, &AnalysisRecord::XL},
    {&PassResult::CONTACT_ANGLE, &AnalysisRecord::CONTACT_ANGLE},
    {&PassResult::ANGLE_STEP, &AnalysisRecord::ANGLE_STEP},
};
constexpr FieldCopy kLoadAndSummary[] = {
    {&PassResult::ROLLING_FORCE, &AnalysisRecord::ROLLING_FORCE},
    {&PassResult::G, &AnalysisRecord::G},
    {&PassResult::TORQUE_ARM, &AnalysisRecord::TORQUE_ARM},
    {&PassResult::PM, &AnalysisRecord::PM},
    {&PassResult::REDUCTION_RATIO, &AnalysisRecord::REDUCTION_RATIO},
    {&PassResult::OM, &AnalysisRecord::OM},
    {&PassResult::XN, &AnalysisRecord::XN},
    {&PassResult::ON, &AnalysisRecord::ON},
    {&PassResult::NEUTRAL_F, &AnalysisRecord::NEUTRAL_F},
    {&PassResult::NEUTRAL_P, &AnalysisRecord::NEUTRAL_P},
};

// Copies the listed fields from the record, or clears them.
template <std::size_t N>
void copyFields(const FieldCopy (&fields)[N], PassResult& result, bool clear = false) {
  for (const FieldCopy& field : fields) result.*field.to = clear ? 0.0f : (rec.*field.from).v;
}

// Clears what a pass sets, so that a fault leaves no value of an earlier
// call in the result.
void clearResult(PassResult& result) {
  result.fault = Fault{};
  result.exit.steps = result.entry.steps = 0;
  result.NEUTRAL_STEP = 0;
  copyFields(kGeometry, result, true);
  copyFields(kLoadAndSummary, result, true);
}

// The marches in the console's order, one after the other, each step
// kept by the observer as it is stored.
void marchInTurn(CallState& call) {
  const MarchObserver observer{nullptr, keepStep, nullptr, &call};
  call.stage = Stage::exitMarch;
  call.lastStep = 0;
  marchRollGap(Side::exit, observer);
  call.stage = Stage::entryMarch;
  call.lastStep = 0;
  marchRollGap(Side::entry, observer);
}

// The stages in the console's order; `call.stage` tells a fault where.
// The marches run side by side unless `inTurn`.
void runPass(const PassInput& input, CallState& call, bool inTurn) {
  PassResult& result = *call.result;
  AnalysisRecord& r = rec;
  call.stage = Stage::input;
  setInputs(input);
  call.stage = Stage::geometry;
  deriveGeometry();
  copyFields(kGeometry, result);
  if (inTurn) {
    marchInTurn(call);
  } else {
    call.marchesSideBySide = true;
    marchSideBySide(r, result);
    call.marchesSideBySide = false;
  }
  call.stage = Stage::load;
  neutralPointAndLoad();
  call.stage = Stage::summary;
  workOutSummary();
  copyFields(kLoadAndSummary, result);
  result.NEUTRAL_STEP = r.NEUTRAL_STEP;
  result.outcome = r.NO_NEUTRAL_POINT != 0 ? Outcome::noNeutralPoint : Outcome::neutralPoint;
}

// One run of the pass; false when a fault ended it (the fault is in the
// result). The jump of a fault comes back to this frame.
bool attempt(const PassInput& input, CallState& call, bool inTurn) {
  if (sigsetjmp(call.jump, 0) != 0) return false;
  runPass(input, call, inTurn);
  return true;
}

// Solves the pass with the marches side by side, or in turn if `inTurn`.
// A fault in the marches side by side does not tell which march the
// console would have met it in, nor whether the console would have got as
// far as the other's fault: such a pass (rare) is solved again with the
// marches in turn, whose fault is the console's. Both orders run the same
// operations on the same values, so a pass that does not fault side by
// side does not fault in turn either.
void solve(const PassInput& input, PassResult& result, bool inTurn) {
  TrapHandlerInUse trapHandler;
  CallerEnvironment environment;
  CallState call{};
  call.result = &result;
  clearResult(result);
  CallState* const outer = current;
  current = &call;
  if (!attempt(input, call, inTurn)) {
    if (call.marchesSideBySide) {
      call.marchesSideBySide = false;
      clearResult(result);
      enterConsoleEnvironment();
      if (!attempt(input, call, true)) result.outcome = Outcome::fault;
    } else {
      result.outcome = Outcome::fault;
    }
  }
  current = outer;
}

}  // namespace

void solvePass(const PassInput& input, PassResult& result) { solve(input, result, false); }

void solvePassInTurn(const PassInput& input, PassResult& result) { solve(input, result, true); }

}  // namespace orowan
