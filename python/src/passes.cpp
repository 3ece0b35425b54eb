// Requests to answers: the library call (with a flow curve's table, roll
// flattening and the mill's values around it) or the converged solver,
// and many requests on several threads.
#include "python/src/passes.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <condition_variable>
#include <ctime>
#include <mutex>
#include <numbers>
#include <thread>

#include "analysis/fault.h"

namespace orowan::python {
namespace {

constexpr double kDegreesPerRadian = 180.0 / std::numbers::pi;

const char* stageName(Stage stage) {
  switch (stage) {
    case Stage::input: return "input";
    case Stage::geometry: return "geometry";
    case Stage::exitMarch:
    case Stage::entryMarch: return "march";
    case Stage::load: return "load";
    case Stage::summary: return "summary";
  }
  return "";
}

void refuse(Answer& answer, std::string why) {
  answer.status = Status::refused;
  answer.refusal = std::move(why);
}

// The shortest text of a single value, for messages.
std::string shown(double value) {
  char buffer[32];
  const auto end = std::to_chars(buffer, buffer + sizeof buffer, static_cast<float>(value)).ptr;
  return std::string(buffer, end);
}

// Why the table cannot follow the curve, naming the arguments to change.
std::string curveRefusal(const Request& request, CurveRefusal why, const CurveTableFit& fit) {
  const bool swift = request.curve.kind == FlowCurve::Kind::swift;
  if (why == CurveRefusal::zeroStress)
    return swift ? "curve: the curve has zero stress at zero strain; give EPS0 > 0 or eps > 0"
                 : "curve: the curve has zero stress at zero strain; give S0 > 0 or eps > 0";
  if (why == CurveRefusal::beyondSingle)
    return "curve: the curve's stress is beyond the single-precision range";
  char worst[32];
  std::snprintf(worst, sizeof worst, "%.2g", fit.worstMidpointError * 100);
  return std::string("curve: a table of 50 points cannot follow the curve within 0.1 % (") + worst +
         " % at worst)";
}

// Solves the pass at `radius` into `scratch`, a flow curve's yield table
// built for that radius; false (the answer refused) when the table cannot
// follow it.
bool solveAt(const Request& request, Answer& answer, float radius, PassResult& scratch) {
  PassInput at = request.input;
  at.frictionTable = request.frictionTable.get();
  at.yieldTable = request.yieldTable.get();
  if (!request.hasCurve) {
    at.R = radius;
    solvePass(at, scratch);
    return true;
  }
  CurveTableFit fit;
  const CurveRefusal why =
      solveWithCurve(at, radius, request.curve, request.strainIn, answer.curveTable, scratch, fit);
  answer.curveFitError = fit.worstMidpointError;
  if (why != CurveRefusal::none) return refuse(answer, curveRefusal(request, why, fit)), false;
  return true;
}

// Hitchcock's radius with the library's search; a curve's table is built
// anew at every radius it tries.
void solveFlattenedPass(const Request& request, Answer& answer, PassResult& scratch) {
  if (!(request.input.H1 > request.input.H2)) return refuse(answer, "E: roll flattening needs H1 > H2");
  Flattening flat;
  if (request.hasCurve) {
    bool refused = false;
    const ForceAtRadius forceAt = [&](float radius, double& force) {
      if (!solveAt(request, answer, radius, scratch)) return refused = true, FlatteningStatus::fault;
      force = scratch.ROLLING_FORCE;
      if (scratch.outcome == Outcome::neutralPoint) return FlatteningStatus::settled;
      return scratch.outcome == Outcome::fault ? FlatteningStatus::fault : FlatteningStatus::noNeutralPoint;
    };
    flat = findFlattenedRadius(request.input.R, double(request.input.H1) - double(request.input.H2),
                               request.rolls, forceAt);
    if (refused) return;
  } else {
    PassInput in = request.input;
    in.frictionTable = request.frictionTable.get();
    in.yieldTable = request.yieldTable.get();
    flat = solveFlattened(in, request.rolls, scratch);
  }
  answer.flattened = true;
  answer.flattening = flat.status;
  answer.rFlat = flat.R_FLAT;
  answer.flatteningPasses = flat.iterations;
}

// A table of 50 points gets no point of the module's past its end: every
// step of both marches must lie before its last position. "" or why not.
std::string tableCoverage(const char* name, const PropertyPoints* table, const PassResult& r) {
  if (table == nullptr || table->count < kMaxTablePoints) return "";
  const float last = table->positions[table->count - 1];
  if (farthestStep(r) < last) return "";
  return std::string(name) + ": the table ends at X = " + shown(last) +
         ", inside the arc of contact (XL = " + shown(r.XL) +
         "); a table of 50 points must reach past the entry plane";
}

// The library's result as the answer: status, fault, summary and steps.
void takeConsoleResult(const Request& request, const PassResult& r, Answer& answer) {
  Summary& s = answer.summary;
  switch (r.outcome) {
    case Outcome::fault:
      answer.status = Status::fault;
      answer.faultNumber = r.fault.number;
      answer.faultMessage = r.fault.message;
      answer.faultStage = stageName(r.fault.stage);
      answer.faultSide = r.fault.stage == Stage::exitMarch    ? "exit"
                         : r.fault.stage == Stage::entryMarch ? "entry"
                                                              : "";
      answer.faultStep = r.fault.step;
      return;
    case Outcome::neutralPoint:
      answer.status = Status::ok;
      s.neutralPosition = r.XN, s.neutralAngle = r.ON;
      s.neutralForce = r.NEUTRAL_F, s.neutralPressure = r.NEUTRAL_P;
      s.meanRollPressure = r.PM, s.rollingForce = r.ROLLING_FORCE;
      s.torque = r.G, s.torqueArm = r.TORQUE_ARM;
      answer.neutralStep = r.NEUTRAL_STEP;
      answer.mill = millOutputs(request.input, r, request.rollSpeed);
      if (std::isnan(request.rollSpeed))  // the library leaves them 0: none given
        answer.mill.V_EXIT = answer.mill.V_ENTRY = answer.mill.POWER = NAN;
      break;
    case Outcome::noNeutralPoint:
      answer.status = Status::noNeutralPoint;
      break;
  }
  s.reductionRatio = r.REDUCTION_RATIO, s.contactLength = r.XL, s.contactAngle = r.OM;
  if (request.keepSteps) {
    answer.exit.assign(r.exit.step, r.exit.step + r.exit.steps);
    answer.entry.assign(r.entry.step, r.entry.step + r.entry.steps);
  }
}

void solveConsole(const Request& request, Answer& answer, PassResult& scratch) {
  if (request.flatten) solveFlattenedPass(request, answer, scratch);
  else solveAt(request, answer, request.input.R, scratch);
  if (answer.status == Status::refused) return;
  for (const auto& [name, table] : {std::pair{"yield_table", request.yieldTable.get()},
                                    std::pair{"friction_table", request.frictionTable.get()}}) {
    if (std::string why = tableCoverage(name, table, scratch); !why.empty()) return refuse(answer, why);
  }
  takeConsoleResult(request, scratch, answer);
}

// The converged solver's fault kinds under the console's M numbers.
int faultNumberOf(accuracy::FaultKind kind) {
  switch (kind) {
    case accuracy::FaultKind::domain: return kDomainError;
    case accuracy::FaultKind::divideByZero: return kDivideByZero;
    case accuracy::FaultKind::overflow: return kOverflow;
    case accuracy::FaultKind::none: break;
  }
  return 0;
}

const char* faultKindName(accuracy::FaultKind kind) {
  switch (kind) {
    case accuracy::FaultKind::domain: return "domain error";
    case accuracy::FaultKind::divideByZero: return "division by zero";
    case accuracy::FaultKind::overflow: return "overflow";
    case accuracy::FaultKind::none: break;
  }
  return "fault";
}

// The converged solver on the same single-precision inputs, widened.
void solveConvergedPass(const Request& request, Answer& answer) {
  const PassInput& in = request.input;
  const accuracy::PassConditions pass{in.R, in.H1, in.H2, in.meanYieldStress, in.SGB, in.SGF,
                                      in.friction};
  accuracy::ConvergedOptions options;
  options.keepSteps = request.keepSteps;
  accuracy::Solution s = accuracy::solveConverged(pass, options);
  if (s.status == accuracy::Status::fault) {
    answer.status = Status::fault;
    answer.faultNumber = faultNumberOf(s.fault.kind);
    answer.faultMessage = std::string(faultKindName(s.fault.kind)) + ": " + s.fault.where;
    return;
  }
  answer.status = s.status == accuracy::Status::ok               ? Status::ok
                  : s.status == accuracy::Status::noNeutralPoint ? Status::noNeutralPoint
                                                                 : Status::notConverged;
  answer.gridSteps = s.stepsPerSide;
  Summary& m = answer.summary;
  m.reductionRatio = s.reductionRatio, m.contactLength = s.contactLength;
  m.contactAngle = s.contactAngle * kDegreesPerRadian;
  if (answer.status != Status::noNeutralPoint) {
    m.neutralPosition = s.neutralX, m.neutralAngle = s.neutralAngle * kDegreesPerRadian;
    m.neutralForce = s.neutralForce, m.neutralPressure = s.neutralPressure;
    m.meanRollPressure = s.meanPressure, m.rollingForce = s.rollingForce;
    m.torque = s.torque, m.torqueArm = s.torqueArm;
  }
  answer.convergedExit = std::move(s.exitSteps);
  answer.convergedEntry = std::move(s.entrySteps);
}

}  // namespace

void solveRequest(const Request& request, Answer& answer, PassResult& scratch) {
  answer = Answer{};
  answer.solver = request.solver;
  const PassInput& in = request.input;
  const float typed[7] = {in.R, in.H1, in.H2, in.meanYieldStress, in.SGB, in.SGF, in.friction};
  std::copy(typed, typed + 7, answer.typed);
  std::copy(request.given, request.given + 7, answer.given);
  if (in.H2 > 0 && in.H1 >= in.H2 && request.strainIn >= 0)  // as the batch tool's EPS_OUT
    answer.strainOut = static_cast<float>(strainOut(in.H1, in.H2, request.strainIn));
  if (request.solver == Solver::console) return solveConsole(request, answer, scratch);
  if (request.hasCurve || request.yieldTable || request.frictionTable || request.flatten)
    return refuse(answer, "solver: the converged solver takes constant yield stress and friction, without flattening");
  solveConvergedPass(request, answer);
}

namespace {

// The shared state of one solveRequests call.
struct Work {
  Work(const std::vector<Request>& r, std::vector<Answer>& a, std::atomic<bool>& s)
      : requests(r), answers(a), stop(s) {}
  const std::vector<Request>& requests;
  std::vector<Answer>& answers;
  std::atomic<bool>& stop;
  std::atomic<std::size_t> next{0};
  std::mutex lock;
  std::condition_variable done;
  int running = 0;
};

// Small blocks: threads share the work evenly and a stop is seen soon.
constexpr std::size_t kBlock = 8;

void worker(Work& work) {
  std::unique_ptr<PassResult> scratch;
  try {
    scratch = std::make_unique<PassResult>();
  } catch (const std::bad_alloc&) {
    work.stop = true;  // the others finish; the unsolved answers say so
  }
  const std::size_t n = work.requests.size();
  for (;;) {
    if (!scratch || work.stop.load(std::memory_order_relaxed)) break;
    const std::size_t first = work.next.fetch_add(kBlock);
    if (first >= n) break;
    for (std::size_t i = first; i < std::min(n, first + kBlock); ++i) {
      try {
        solveRequest(work.requests[i], work.answers[i], *scratch);
      } catch (const std::bad_alloc&) {  // kept steps or a curve's table: not on this thread
        work.answers[i].status = Status::outOfMemory;
      }
    }
  }
  std::lock_guard guard(work.lock);
  if (--work.running == 0) work.done.notify_all();
}

}  // namespace

void solveRequests(const std::vector<Request>& requests, std::vector<Answer>& answers, int jobs,
                   std::atomic<bool>& stop, void (*waitOnce)(void*, std::atomic<bool>&),
                   void* context, int pollMilliseconds) {
  answers.resize(requests.size());
  const std::size_t blocks = (requests.size() + kBlock - 1) / kBlock;
  const int threads = static_cast<int>(std::clamp<std::size_t>(blocks, 1, std::max(jobs, 1)));
  Work work{requests, answers, stop};
  work.running = threads;
  std::vector<std::thread> pool;
  pool.reserve(static_cast<std::size_t>(threads));
  for (int t = 0; t < threads; ++t) pool.emplace_back(worker, std::ref(work));
  {
    std::unique_lock guard(work.lock);
    while (work.running > 0) {
      if (work.done.wait_for(guard, std::chrono::milliseconds(pollMilliseconds)) ==
              std::cv_status::timeout &&
          waitOnce != nullptr) {
        guard.unlock();
        waitOnce(context, stop);
        guard.lock();
      }
    }
  }
  for (std::thread& t : pool) t.join();
}

// CPU time of the calling thread: other work on a shared machine does not
// count, as in Google Benchmark's CPU column.
double threadSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

double timeLibraryPass(int count) {
  auto result = std::make_unique<PassResult>();
  PassInput input;
  input.R = 100, input.H1 = 2, input.H2 = 1.5f, input.meanYieldStress = 20, input.friction = 0.1f;
  const double start = threadSeconds();
  for (int i = 0; i < count; ++i) solvePass(input, *result);
  return count > 0 ? (threadSeconds() - start) / count : 0.0;
}

}  // namespace orowan::python
