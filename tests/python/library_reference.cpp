// The library's own answers for the Python module's tests: passes typed as
// texts, one a line, read as the console reads them and solved by the
// library calls directly (the core as executables link it), written as
// binary records that the tests compare with the module bit for bit.
//
// A line: blank-separated KEY=TEXT items. R H1 H2 Y SGB SGF U (a typed
// REAL each; Y and U may be left out with YT or FT), YT=x:v,x:v,... and
// FT=... (yield and friction tables), CURVE=swift|ludwik with K N EPS0 S0,
// EPS, E NU (flattening) and V (roll speed), SOLVER=converged. Flow
// curves are taken without flattening (that composition is the batch
// tool's, and test_batch_agreement.py compares the module with it).
//
// A record (native byte order): int32 head[12] = {solver (0 console,
// 1 converged), outcome (console: Outcome; converged: Status), fault
// number (converged: FaultKind), stage, fault step, exit steps, entry
// steps, neutral step (converged: steps a side), flattening status (-1:
// none), flattening passes, curve table points, curve fit within bound};
// float32 typed[7] = R H1 H2 Y SGB SGF U as read. Console: float32
// summary[17] (PassResult's fields from ROLL_DIAMETER to NEUTRAL_P in
// declaration order), float64 extra[8] = {R_FLAT, FORWARD_SLIP,
// BACKWARD_SLIP, V_EXIT, V_ENTRY, POWER, curve fit error, strain out as a
// single value} (NaN for what the pass does not have, speeds without V),
// the StepValues of both marches as stored, the curve table's positions
// and values. Converged: float64 summary[11] (Solution's from
// reductionRatio to torqueArm), then per node of both marches float64 X,
// phi, F, P and int32 slip/stick, int32 0.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <iostream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "accuracy/converged.h"
#include "passes/flow_curve.h"
#include "passes/mill.h"
#include "analysis/pass.h"
#include "console/value_text.h"

namespace {

using Items = std::map<std::string, std::string>;

static_assert(sizeof(orowan::StepValues) == 60, "StepValues: 15 four-byte fields, no padding");

[[noreturn]] void fail(const std::string& why) {
  std::cerr << "library_reference: " << why << "\n";
  std::exit(2);
}

float real(const std::string& text) {
  float value = 0;
  if (orowan::console::readRealText(text.data(), static_cast<int>(text.size()), value) != 0)
    fail("not a typed REAL: " + text);
  return value;
}

float realOr(const Items& items, const char* key, float otherwise) {
  const auto it = items.find(key);
  return it == items.end() ? otherwise : real(it->second);
}

// "x:v,x:v" as a property table, its last value held beyond its end by a
// point at 10000 mm when there is room (the module's tables, after the
// batch tool's).
orowan::PropertyPoints tableOf(const std::string& text) {
  orowan::PropertyPoints t;
  std::stringstream points(text);
  for (std::string point; std::getline(points, point, ',');) {
    const auto colon = point.find(':');
    if (colon == std::string::npos || t.count == orowan::kMaxTablePoints) fail("bad table " + text);
    t.positions[t.count] = real(point.substr(0, colon));
    t.values[t.count] = real(point.substr(colon + 1));
    ++t.count;
  }
  if (t.count < orowan::kMaxTablePoints && t.positions[t.count - 1] < 10000.0f) {
    t.positions[t.count] = 10000.0f;
    t.values[t.count] = t.values[t.count - 1];
    ++t.count;
  }
  return t;
}

template <typename T>
void put(const T* values, std::size_t n) {
  std::fwrite(values, sizeof(T), n, stdout);
}

void writeConverged(const orowan::PassInput& in, const float typed[7]) {
  orowan::accuracy::ConvergedOptions options;
  options.keepSteps = true;
  const orowan::accuracy::Solution s = orowan::accuracy::solveConverged(
      {in.R, in.H1, in.H2, in.meanYieldStress, in.SGB, in.SGF, in.friction}, options);
  const std::int32_t head[12] = {1, static_cast<int>(s.status), static_cast<int>(s.fault.kind), 0, 0,
                                 static_cast<int>(s.exitSteps.size()),
                                 static_cast<int>(s.entrySteps.size()), s.stepsPerSide, -1, 0, 0, 0};
  put(head, 12);
  put(typed, 7);
  const double summary[11] = {s.reductionRatio, s.contactLength, s.contactAngle, s.neutralX,
                              s.neutralAngle, s.neutralForce, s.neutralPressure, s.meanPressure,
                              s.rollingForce, s.torque, s.torqueArm};
  put(summary, 11);
  for (const auto* steps : {&s.exitSteps, &s.entrySteps}) {
    for (const orowan::accuracy::StepRecord& r : *steps) {
      const double values[4] = {r.X, r.phi, r.F, r.P};
      const std::int32_t contact[2] = {r.slipStick, 0};
      put(values, 4);
      put(contact, 2);
    }
  }
}

void writeConsole(const Items& items, orowan::PassInput& in, const float typed[7]) {
  orowan::PropertyPoints curveTable;
  orowan::passes::CurveTableFit fit;
  const double strainIn = realOr(items, "EPS", 0);
  const double strainOut = in.H2 > 0 && in.H1 >= in.H2 && strainIn >= 0
                               ? static_cast<float>(orowan::passes::strainOut(in.H1, in.H2, strainIn))
                               : NAN;
  if (items.count("CURVE") != 0) {
    const bool swift = items.at("CURVE") == "swift";
    orowan::passes::FlowCurve curve{swift ? orowan::passes::FlowCurve::Kind::swift : orowan::passes::FlowCurve::Kind::ludwik,
                            realOr(items, "K", 0), realOr(items, "N", 0), realOr(items, "EPS0", 0),
                            realOr(items, "S0", 0)};
    fit = orowan::passes::yieldTableFromCurve(curve, in.R, in.H1, in.H2, strainIn, curveTable);
    in.yieldTable = &curveTable;
  }
  auto result = std::make_unique<orowan::PassResult>();
  orowan::passes::Flattening flat;
  const bool flatten = items.count("E") != 0;
  if (flatten) {
    flat = orowan::passes::solveFlattened(in, {realOr(items, "E", 0), realOr(items, "NU", 0.3f)}, *result);
  } else {
    orowan::solvePass(in, *result);
  }
  const orowan::PassResult& r = *result;
  orowan::passes::MillOutputs mill{NAN, NAN, NAN, NAN, NAN};
  if (r.outcome == orowan::Outcome::neutralPoint) {
    const bool speed = items.count("V") != 0;
    mill = orowan::passes::millOutputs(in, r, speed ? realOr(items, "V", 0) : NAN);
    if (!speed) mill.V_EXIT = mill.V_ENTRY = mill.POWER = NAN;  // the module's "not asked for"
  }
  const std::int32_t head[12] = {0, static_cast<int>(r.outcome), r.fault.number,
                                 static_cast<int>(r.fault.stage), r.fault.step, r.exit.steps,
                                 r.entry.steps, r.NEUTRAL_STEP,
                                 flatten ? static_cast<int>(flat.status) : -1, flat.iterations,
                                 curveTable.count, fit.withinTolerance ? 1 : 0};
  put(head, 12);
  put(typed, 7);
  const float summary[17] = {r.ROLL_DIAMETER, r.F_EXIT_PLANE, r.F_ENTRY_PLANE, r.DH, r.XL,
                             r.CONTACT_ANGLE, r.ANGLE_STEP, r.ROLLING_FORCE, r.G, r.TORQUE_ARM,
                             r.PM, r.REDUCTION_RATIO, r.OM, r.XN, r.ON, r.NEUTRAL_F, r.NEUTRAL_P};
  put(summary, 17);
  // As the tools report them: single values, a flattened radius only
  // when the search settled.
  const bool settled = flatten && flat.status == orowan::passes::FlatteningStatus::settled;
  const auto single = [](double x) { return static_cast<double>(static_cast<float>(x)); };
  const double extra[8] = {settled ? single(flat.R_FLAT) : NAN, single(mill.FORWARD_SLIP),
                           single(mill.BACKWARD_SLIP), single(mill.V_EXIT), single(mill.V_ENTRY),
                           single(mill.POWER),
                           curveTable.count > 0 ? fit.worstMidpointError : NAN, strainOut};
  put(extra, 8);
  put(r.exit.step, static_cast<std::size_t>(r.exit.steps));
  put(r.entry.step, static_cast<std::size_t>(r.entry.steps));
  put(curveTable.positions, static_cast<std::size_t>(curveTable.count));
  put(curveTable.values, static_cast<std::size_t>(curveTable.count));
}

void writePass(const Items& items) {
  orowan::PassInput in;
  in.R = realOr(items, "R", 0), in.H1 = realOr(items, "H1", 0), in.H2 = realOr(items, "H2", 0);
  in.meanYieldStress = realOr(items, "Y", 0), in.SGB = realOr(items, "SGB", 0);
  in.SGF = realOr(items, "SGF", 0), in.friction = realOr(items, "U", 0);
  const float typed[7] = {in.R, in.H1, in.H2, in.meanYieldStress, in.SGB, in.SGF, in.friction};
  orowan::PropertyPoints yieldTable, frictionTable;
  if (items.count("YT") != 0) yieldTable = tableOf(items.at("YT")), in.yieldTable = &yieldTable;
  if (items.count("FT") != 0) frictionTable = tableOf(items.at("FT")), in.frictionTable = &frictionTable;
  if (items.count("SOLVER") != 0 && items.at("SOLVER") == "converged") return writeConverged(in, typed);
  writeConsole(items, in, typed);
}

}  // namespace

int main() {
  for (std::string line; std::getline(std::cin, line);) {
    Items items;
    std::stringstream words(line);
    for (std::string word; words >> word;) {
      const auto eq = word.find('=');
      if (eq == std::string::npos) fail("not KEY=TEXT: " + word);
      items[word.substr(0, eq)] = word.substr(eq + 1);
    }
    writePass(items);
  }
  return std::fflush(stdout) == 0 ? 0 : 1;
}
