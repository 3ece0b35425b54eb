// Value texts to single-precision values, with the messages a user sees
// for a text that cannot be read or a value the pass cannot take.
#include "batch/request.h"

#include <charconv>
#include <cmath>
#include <strings.h>

#include "console/limits.h"
#include "console/value_text.h"
#include "batch/hot_request.h"
#include "batch/output_file.h"
#include "passes/solve.h"

namespace orowan::batch {
namespace {

// What the console's reader would say, as a message about the column.
std::string unreadable(const std::string& column, const std::string& text, int fault) {
  const std::string shown = "\"" + text + "\"";
  std::string why = fault == 6104   ? "a number within the single-precision range"
                    : fault == 6408 ? "a number of at most 256 characters"
                                    : "a number";
  return "column " + column + ": expected " + why + ", found " + shown + " (F" +
         std::to_string(fault) + ")";
}

// A value text as a typed REAL: 0 or the F number.
int readText(const std::string& text, bool tooLong, float& value) {
  const int length = static_cast<int>(text.size());
  if (tooLong || length > orowan::console::kMaxValueText) return 6408;
  return orowan::console::readRealText(text.data(), length, value);
}


bool given(const FieldText& field) { return field.present && !field.text.empty(); }

// A line that leaves H1 empty takes the line before's exit thickness and
// strain: a strip through several passes.
bool continuesSchedule(const InputLine& line, const Sweep& sweep) {
  return sweep.varyOf(kH1) == nullptr && !given(line.fields[kH1]);
}

// CURVE's word, any case.
std::string readCurveKind(const FieldText& field, PassJob& job) {
  if (!given(field)) return "";
  using Kind = passes::FlowCurve::Kind;
  if (strcasecmp(field.text.c_str(), "swift") == 0) job.request.curve.kind = Kind::swift;
  else if (strcasecmp(field.text.c_str(), "ludwik") == 0) job.request.curve.kind = Kind::ludwik;
  else return "column CURVE: expected swift or ludwik, found \"" + field.text + "\"";
  job.has[kCURVE] = true;
  return "";
}

// An absent or empty entry: H1 from the line before, a default, nothing,
// or a problem.
std::string readAbsent(int c, const InputLine& line, long caseIndex, const Schedule& schedule,
                       PassJob& job) {
  const InputColumn& column = inputColumns()[c];
  if (c == kH1) {
    if (schedule.first()) return "column H1: empty on the first line (no line before to take the exit thickness from)";
    if (!schedule.known(caseIndex)) return "column H1: empty, and the line before has no exit thickness";
    job.typed[c] = schedule.exitThickness(caseIndex);
    return job.has[c] = true, "";
  }
  if (column.need == Need::defaulted) {
    orowan::console::readRealText(column.defaultText, static_cast<int>(std::char_traits<char>::length(column.defaultText)),
                          job.typed[c]);
    return job.has[c] = true, "";
  }
  const bool curveInstead =
      column.need == Need::yield && (given(line.fields[kCURVE]) || given(line.fields[kFLOW]));
  const bool tableInstead = c == kU && line.frictionTable.present;
  if (column.need == Need::optional || curveInstead || tableInstead) return "";
  return std::string("column ") + column.name + (line.fields[c].present ? ": empty; expected a number" : ": missing");
}

// One column's typed value into the job (job.has[c] when there is one);
// "" or the problem.
std::string readColumn(int c, const InputLine& line, const Sweep& sweep, long caseIndex,
                       const Schedule& schedule, PassJob& job) {
  if (c == kCURVE) return readCurveKind(line.fields[c], job);
  if (c == kFLOW) return readFlowLaw(line.fields[c], job);
  if (const Vary* vary = sweep.varyOf(c)) {
    job.typed[c] = vary->values[sweep.valueIndex(*vary, caseIndex)];
    return job.has[c] = true, "";
  }
  const FieldText& field = line.fields[c];
  if (c == kH1 && !given(field) && sweep.varyOf(kH2) != nullptr && !schedule.first())
    return "column H1: empty, but --vary H2 sets every line's exit thickness, so this line would enter at the "
           "exit thickness it is to leave at; give H1 (or vary H2 without a schedule)";
  if (!given(field)) return readAbsent(c, line, caseIndex, schedule, job);
  const int fault = readText(field.text, field.tooLong, job.typed[c]);
  if (fault != 0) return unreadable(inputColumns()[c].name, field.tooLong ? field.text + "..." : field.text, fault);
  return job.has[c] = true, "";
}

// A pass reduces the strip: H2 below H1 (the analysis would take the
// square root of a negative draft, or divide by a zero one). "" or the
// problem, in the columns' words.
std::string checkReduction(const PassJob& job) {
  if (!job.has[kH1] || !job.has[kH2] || job.typed[kH2] < job.typed[kH1]) return "";
  const std::string h1 = passes::singleText(job.typed[kH1]), h2 = passes::singleText(job.typed[kH2]);
  return "columns H1 and H2: the exit thickness H2 = " + h2 + (job.typed[kH2] == job.typed[kH1] ? " equals" : " is above") +
         " the entry thickness H1 = " + h1 + "; a pass must reduce the strip";
}

// The bounds of the values (the console reads any number; a pass needs
// positive sizes and stresses and a friction that is not negative): ""
// or the first one broken.
std::string checkBounds(const PassJob& job) {
  struct Bound {
    int column;
    bool open;  // above the bound, not at it
    const char* says;
  };
  static constexpr Bound kLower[] = {{kR, true, "must be above 0"},    {kH1, true, "must be above 0"},
                                     {kH2, true, "must be above 0"},   {kY, true, "must be above 0"},
                                     {kU, false, "must not be negative"},
                                     {kK, true, "must be above 0"},   {kN, false, "must not be negative"},
                                     {kEPS0, false, "must not be negative"}, {kS0, false, "must not be negative"},
                                     {kEPS, false, "must not be negative"},  {kE, true, "must be above 0"},
                                     {kNU, false, "must be at least 0 and below 0.5"},
                                     {kV, false, "must not be negative"}};
  for (const Bound& b : kLower) {
    if (!job.has[b.column]) continue;
    const float v = job.typed[b.column];
    const bool bad = b.open ? !(v > 0) : !(v >= 0) || (b.column == kNU && !(v < 0.5f));
    if (bad) return std::string("column ") + inputColumns()[b.column].name + ": " + b.says + ", found " + passes::singleText(v);
  }
  if (job.has[kE] && !(toAnalysis(job.typed[kE], UnitKind::stress, job.units) > 0))
    return "column E: must be above 0, found " + passes::singleText(job.typed[kE]);
  return checkReduction(job);
}

// Y or a flow curve with the parameters of its kind, not both.
std::string checkCurve(const PassJob& job) {
  const bool swift = job.request.curve.kind == passes::FlowCurve::Kind::swift;
  if (!job.has[kCURVE]) {
    for (int c : {kK, kN, kEPS0, kS0}) {
      if (job.has[c]) return std::string("column ") + inputColumns()[c].name + ": a flow curve's parameter, but CURVE is empty";
    }
    return "";
  }
  if (job.has[kY]) return "columns Y and CURVE: give the mean yield stress or a flow curve, not both";
  const char* needs = swift ? "K, N (and EPS0, 0 when empty)" : "S0, K, N";
  for (int c : swift ? std::vector<int>{kK, kN} : std::vector<int>{kS0, kK, kN}) {
    if (!job.has[c]) return std::string("column ") + inputColumns()[c].name + ": missing; the " +
                            (swift ? "swift" : "ludwik") + " curve needs " + needs;
  }
  const int foreign = swift ? kS0 : kEPS0;
  if (job.has[foreign]) return std::string("column ") + inputColumns()[foreign].name + ": not a parameter of the " +
                               (swift ? "swift" : "ludwik") + " curve (" + needs + ")";
  return "";
}

// The curve in the analysis's units (kgf/mm^2).
void fillCurve(PassJob& job) {
  passes::FlowCurve& curve = job.request.curve;
  curve.K = toAnalysis(job.typed[kK], UnitKind::stress, job.units);
  curve.N = job.typed[kN];
  curve.EPS0 = job.has[kEPS0] ? job.typed[kEPS0] : 0.0;
  curve.S0 = job.has[kS0] ? toAnalysis(job.typed[kS0], UnitKind::stress, job.units) : 0.0;
}

// The strain brought in: EPS, the line before's on a schedule line, or 0;
// and the strain taken out, for the next line. "" or the problem.
std::string takeStrain(const InputLine& line, const Sweep& sweep, long caseIndex, const Schedule& schedule,
                       PassJob& job, float& strainOut) {
  passes::Request& r = job.request;
  r.strainKnown = true;
  float in = 0;
  if (given(line.fields[kEPS]) && sweep.varyOf(kEPS) == nullptr && !job.has[kEPS]) r.strainKnown = false;
  else if (job.has[kEPS]) in = job.typed[kEPS];
  else if (!continuesSchedule(line, sweep) || schedule.first()) in = 0;
  else if (schedule.strainKnown(caseIndex)) in = schedule.strainOut(caseIndex);
  else r.strainKnown = false;
  r.strainIn = in;
  if (!r.strainKnown && (job.has[kCURVE] || job.has[kFLOW]))
    return "column EPS: empty, and the line before left no strain to carry on (give EPS)";
  const float H1 = job.typed[kH1], H2 = job.typed[kH2];
  if (!(job.has[kH1] && job.has[kH2] && H2 > 0 && H1 >= H2 && in >= 0)) r.strainKnown = false;
  if (r.strainKnown) strainOut = static_cast<float>(passes::strainOut(H1, H2, in));
  return "";
}

// A JSON friction table: positions from the exit plane, ascending, at most
// kMaxTablePoints; the last value holds beyond the last position (a
// point at 10000 mm when there is room; a full table must reach past the
// entry plane itself, checked after the pass). "" or the problem.
std::string readFrictionTable(const TableText& text, PassJob& job) {
  const std::size_t n = text.positions.size();
  if (!text.hasPositions || !text.hasValues) return "column U: a friction table needs both X and U";
  if (n != text.values.size())
    return "column U: the table has " + std::to_string(n) + " positions (X) and " +
           std::to_string(text.values.size()) + " values (U)";
  if (n == 0) return "column U: the table is empty";
  if (n > static_cast<std::size_t>(kMaxTablePoints)) return "column U: the table has more than 50 points";
  PropertyPoints& table = job.frictionTable;
  table.count = static_cast<int>(n);
  for (std::size_t k = 0; k < n; ++k) {
    for (const bool position : {true, false}) {
      const std::string& t = position ? text.positions[k] : text.values[k];
      float& to = position ? table.positions[k] : table.values[k];
      const int fault = readText(t, false, to);
      if (fault != 0) return unreadable(std::string("U (") + (position ? "X" : "U") + " " + std::to_string(k + 1) + ")", t, fault);
    }
    if (!(table.values[k] >= 0))
      return "column U: the friction must not be negative, but U " + std::to_string(k + 1) + " = " +
             passes::singleText(table.values[k]);
    if (k > 0 && !(table.positions[k] > table.positions[k - 1]))
      return "column U: the positions must ascend, but X " + std::to_string(k + 1) + " = " + passes::singleText(table.positions[k]) +
             " follows " + passes::singleText(table.positions[k - 1]);
  }
  if (table.positions[0] > 0) return "column U: the table must start at the exit plane (X = 0), not at " + passes::singleText(table.positions[0]);
  passes::holdLastValue(table);
  return "";
}

// The typed values in the analysis's units, the curve, the rolls and the
// roll speed: the request.
void fillRequest(PassJob& job, bool tabled) {
  passes::Request& r = job.request;
  r.input = PassInput{};
  for (int c = 0; c < kInputCount; ++c) {
    const InputColumn& column = inputColumns()[c];
    if (column.field != nullptr && job.has[c]) r.input.*column.field = toAnalysis(job.typed[c], column.unit, job.units);
  }
  r.hasCurve = job.has[kCURVE];
  if (r.hasCurve) fillCurve(job);
  if (tabled) r.frictionTable = &job.frictionTable;
  r.flatten = job.has[kE];
  if (r.flatten) {
    const double nu = job.has[kNU] ? job.typed[kNU] : passes::kDefaultPoissonRatio;
    r.rolls = {toAnalysis(job.typed[kE], UnitKind::stress, job.units), nu};
  }
  if (job.has[kV]) r.rollSpeed = job.typed[kV];
  fillHotRequest(job);
}

// Clears what a job kept of an earlier pass.
void resetJob(PassJob& job) {
  for (bool& has : job.has) has = false;
  job.request = passes::Request{};
  job.request.keepSteps = false;  // the converged solver's nodes are never written
  job.answer = passes::Answer{};
  job.frictionTable.count = 0;
}

}  // namespace

void prepareJob(const InputLine& line, const Sweep& sweep, long caseIndex, Units units,
                Schedule& schedule, PassJob& job) {
  job.line = line.line;
  job.sourceLine = line.sourceLine;
  job.position = line.position;
  job.kept = line.kept;
  job.warning = caseIndex == 0 ? line.warning : std::string();
  job.lineIndex = schedule.lineIndex();
  job.caseNumber = sweep.empty() ? 0 : caseIndex + 1;
  job.units = units;
  job.problem = line.problem;
  resetJob(job);
  for (int c = 0; c < kInputCount && line.problem.empty(); ++c) {
    std::string problem = readColumn(c, line, sweep, caseIndex, schedule, job);
    if (!problem.empty()) job.has[c] = false;
    if (job.problem.empty()) job.problem = std::move(problem);
  }
  const bool tabled = line.frictionTable.present && sweep.varyOf(kU) == nullptr;
  if (job.problem.empty()) job.problem = checkBounds(job);
  if (job.problem.empty()) job.problem = checkCurve(job);
  if (job.problem.empty())
    job.problem = checkHotColumns(line, continuesSchedule(line, sweep), caseIndex, schedule, job);
  if (job.problem.empty() && tabled) job.problem = readFrictionTable(line.frictionTable, job);
  float strainOut = 0;
  std::string strain = line.problem.empty() ? takeStrain(line, sweep, caseIndex, schedule, job, strainOut) : "";
  if (job.problem.empty()) job.problem = std::move(strain);
  job.readable = job.problem.empty();
  job.reportProblem = !job.readable;
  schedule.set(caseIndex, job.has[kH2], job.typed[kH2]);
  schedule.setStrain(caseIndex, job.request.strainKnown, strainOut);
  if (!job.readable) return;
  fillRequest(job, tabled);
}

LineMessages::LineMessages(std::string_view inputName) : inputName_(printable(inputName)) {}

void LineMessages::add(const PassJob& job, std::string& out) {
  const std::string head = inputName_ + ":" + std::to_string(job.sourceLine) + ": ";
  if (!job.warning.empty()) out += head + printable(job.warning) + "\n";  // a note, not a problem of the line
  if (!job.reportProblem || job.lineIndex == lastReported_) return;
  lastReported_ = job.lineIndex;
  ++unreadable_;
  out += head + (job.position.empty() ? "" : job.position + ": ") + printable(job.problem) + "\n";
}

}  // namespace orowan::batch
