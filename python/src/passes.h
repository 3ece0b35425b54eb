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

#include "accuracy/converged.h"
#include "analysis/flow_curve.h"
#include "analysis/mill.h"
#include "analysis/pass.h"

namespace orowan::python {

enum class Solver { console, converged };

// One pass as asked for. The scalar inputs are already single-precision
// values; a table or curve replaces the constant yield stress or friction.
struct Request {
  PassInput input;  // its table pointers are set when the pass is solved
  // Which of R, H1, H2, Y, SGB, SGF, U were given: Y and U are not with a
  // yield or friction table.
  bool given[7] = {true, true, true, true, true, true, true};
  std::shared_ptr<const PropertyPoints> yieldTable, frictionTable;
  bool hasCurve = false;
  FlowCurve curve;
  double strainIn = 0;  // the strain the strip brings into the pass
  Solver solver = Solver::console;
  bool flatten = false;  // solve at the flattened radius (rolls below)
  RollElasticity rolls;
  double rollSpeed = NAN;  // m/min; NaN: none given
  bool keepSteps = true;
};

// The pass's end, as the module reports it. An answer that no thread
// reached (a stop) stays notSolved.
enum class Status { ok, noNeutralPoint, notConverged, fault, refused, outOfMemory, notSolved };

// The summary values in the report's units (angles in degrees); NaN where
// the pass has none (no neutral point: no neutral values and no loads).
struct Summary {
  double reductionRatio = NAN, contactLength = NAN, contactAngle = NAN;
  double neutralPosition = NAN, neutralAngle = NAN, neutralForce = NAN, neutralPressure = NAN;
  double meanRollPressure = NAN, rollingForce = NAN, torque = NAN, torqueArm = NAN;
};

struct Answer {
  Solver solver = Solver::console;
  Status status = Status::notSolved;
  std::string refusal;  // why a request was refused (Status::refused)

  // The fault (Status::fault): the console's M number, its message, the
  // stage ("input", "geometry", "march", "load", "summary"; "" for the
  // converged solver), the side and step of a march ("" and 0 otherwise).
  int faultNumber = 0;
  std::string faultMessage, faultStage, faultSide;
  int faultStep = 0;

  float typed[7] = {};  // R, H1, H2, Y, SGB, SGF, U as the analysis took them
  bool given[7] = {};   // as in the request
  Summary summary;
  int neutralStep = 0;  // exit-side step of the neutral point (console), 0: none
  int gridSteps = 0;    // steps a side of the converged answer's grid

  // Every step of both marches, when kept: the console's stored values, or
  // the converged solver's nodes.
  std::vector<StepValues> exit, entry;
  std::vector<accuracy::StepRecord> convergedExit, convergedEntry;

  // From a flow curve: the yield table built, its worst midpoint error and
  // the strain the strip leaves with.
  PropertyPoints curveTable;
  double curveFitError = NAN, strainOut = NAN;

  // Flattening and the mill's values; NaN where not asked for or not
  // available.
  bool flattened = false;
  FlatteningStatus flattening = FlatteningStatus::fault;
  double rFlat = NAN;
  int flatteningPasses = 0;
  MillOutputs mill{NAN, NAN, NAN, NAN, NAN};
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
