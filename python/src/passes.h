// The passes of the Python module, apart from Python: what a pass asks for
// (the typed values as single-precision values, tables, a flow curve, the
// solver, the rolls' elasticity and speed) and what it gives back, and the
// solving of many of them on several threads. The bindings (module.cpp)
// only move values between these and Python objects.
#pragma once

#include <atomic>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "passes/request.h"

namespace orowan::python {

using passes::Solver;

// One pass as asked for: the request, the tables it points to (kept alive
// with it), and which of R, H1, H2, Y, SGB, SGF, U were given (Y and U are
// not with a yield or friction table).
struct Request {
  passes::Request pass;
  std::shared_ptr<const PropertyPoints> yieldTable, frictionTable;
  bool given[7] = {true, true, true, true, true, true, true};
};

// The pass's end, as the module reports it. An answer that no thread
// reached (a stop) stays notSolved.
enum class Status { ok, noNeutralPoint, notConverged, fault, noFlattenedRadius, refused, outOfMemory, notSolved };

// The answer, and what the module keeps of it: the steps copied out of
// the thread's scratch when kept, the refusal in the arguments' words.
struct Answer {
  passes::Answer pass;
  Status status = Status::notSolved;
  std::string refusal;  // why a request was refused (Status::refused)
  float typed[7] = {};  // R, H1, H2, Y, SGB, SGF, U as the analysis took them
  bool given[7] = {};   // as in the request
  bool rollSpeedGiven = false;          // the mill's speeds and power are the pass's
  std::vector<StepValues> exit, entry;  // the console's steps, when kept
  passes::HotMaterial hotMaterial;      // a hot pass's law, for its validity note
};

// Solves one request into `answer`; `scratch` holds the library's result
// (some 60 KB, reused between passes of a thread).
void solveRequest(const Request& request, Answer& answer, PassResult& scratch);

// Solves every request on `jobs` threads (each takes the next small block
// of passes as it becomes free); answers[i] is the answer to requests[i].
// `stop` becoming true makes the threads finish their block and end; the
// call returns once they have. `waitOnce` is called on the calling thread
// about every `pollMilliseconds` while the threads work, and may set `stop`.
void solveRequests(const std::vector<Request>& requests, std::vector<Answer>& answers, int jobs,
                   std::atomic<bool>& stop, void (*waitOnce)(void* context, std::atomic<bool>& stop),
                   void* context, int pollMilliseconds = 100);

// CPU seconds per pass of `count` library calls of the example pass on
// this thread, in this module's copy of the core: what the pass itself
// costs here, beside the module's overhead.
double timeLibraryPass(int count);

}  // namespace orowan::python
