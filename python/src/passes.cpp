// Requests to answers: the library call (with a flow curve's table, roll
// flattening and the mill's values around it) or the converged solver,
// and many requests on several threads.
#include "python/src/passes.h"

#include "python/src/hot.h"

#include "passes/solve.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <condition_variable>
#include <ctime>
#include <mutex>
#include <thread>


namespace orowan::python {
namespace {

using passes::Refusal;
using passes::singleText;


// Why the request was refused, naming the arguments to change.
std::string refusalText(const Request& request, const passes::Answer& a) {
  const bool swift = request.pass.curve.kind == passes::FlowCurve::Kind::swift;
  switch (a.refusal) {
    case Refusal::curveZeroStress:
      return swift ? "curve: the curve has zero stress at zero strain; give EPS0 > 0 or eps > 0"
                   : "curve: the curve has zero stress at zero strain; give S0 > 0 or eps > 0";
    case Refusal::curveBeyondSingle: return "curve: the curve's stress is beyond the single-precision range";
    case Refusal::curveNotFollowed: {
      char worst[32];
      std::snprintf(worst, sizeof worst, "%.2g", a.curveFitError * 100);
      return std::string("curve: a table of 50 points cannot follow the curve within 0.1 % (") + worst +
             " % at worst)";
    }
    case Refusal::yieldTableShort:
    case Refusal::frictionTableShort:
      return std::string(a.refusal == Refusal::yieldTableShort ? "yield_table" : "friction_table") +
             ": the table ends at X = " + singleText(a.tableEnd) + ", inside the arc of contact (XL = " +
             singleText(a.tableXL) + "); a table of 50 points must reach past the entry plane";
    case Refusal::convergedConstants:
      return "solver: the converged solver takes constant yield stress and friction, without flattening "
             "or roll speed";
    case Refusal::hotRefused:
    case Refusal::hotWithoutSpeed:
    case Refusal::hotWithoutStrain:
    case Refusal::hotNotFollowed: return hotRefusalText(a, request.pass);
    case Refusal::curveWithoutStrain:
    case Refusal::none: break;
  }
  return "eps: the strain brought in is not known";
}

Status statusOf(passes::Status status) {
  switch (status) {
    case passes::Status::ok: return Status::ok;
    case passes::Status::noNeutralPoint: return Status::noNeutralPoint;
    case passes::Status::notConverged: return Status::notConverged;
    case passes::Status::fault: return Status::fault;
    case passes::Status::noFlattenedRadius: return Status::noFlattenedRadius;
    case passes::Status::refused: return Status::refused;
    case passes::Status::notSolved: break;
  }
  return Status::notSolved;
}

}  // namespace

void solveRequest(const Request& request, Answer& answer, PassResult& scratch) {
  answer = Answer{};
  const PassInput& in = request.pass.input;
  const float typed[7] = {in.R, in.H1, in.H2, in.meanYieldStress, in.SGB, in.SGF, in.friction};
  std::copy(typed, typed + 7, answer.typed);
  std::copy(request.given, request.given + 7, answer.given);
  answer.rollSpeedGiven = !std::isnan(request.pass.rollSpeed);
  answer.hotMaterial = request.pass.hotMaterial;
  if (request.pass.flatten && !(in.H1 > in.H2)) {
    answer.status = Status::refused;
    answer.refusal = "E: roll flattening needs H1 > H2";
    return;
  }
  passes::solveRequest(request.pass, answer.pass, scratch);
  answer.status = statusOf(answer.pass.status);
  if (answer.status == Status::refused) answer.refusal = refusalText(request, answer.pass);
  if (const PassResult* r = answer.pass.pass; r != nullptr && request.pass.keepSteps) {
    answer.exit.assign(r->exit.step, r->exit.step + r->exit.steps);
    answer.entry.assign(r->entry.step, r->entry.step + r->entry.steps);
  }
  answer.pass.pass = nullptr;  // the scratch is the thread's, for its next pass
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
