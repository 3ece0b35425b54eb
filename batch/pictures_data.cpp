// Passes as the pictures library's plain data. The library knows nothing
// of the analysis; this is the one place that reads a PassResult for it.
#include "batch/pictures_data.h"

#include <cstdio>

#include "batch/solve.h"

#include "batch/writers.h"

namespace orowan::batch {
namespace {

namespace pics = orowan::pictures;

// "R 100 mm", or "U 0.1" for a ratio.
std::string valueWithUnit(const char* name, float value, UnitKind unit, Units units) {
  std::string text = std::string(name) + " " + floatText(value);
  const std::string shown = displayUnit(unit, units);
  return shown.empty() ? text : text + " " + shown;
}

// One march's steps in output units; P and F as the result file gives them.
pics::MarchSteps marchSteps(const March& march, Units units) {
  pics::MarchSteps m;
  for (int i = 0; i < march.steps; ++i) {
    const orowan::StepValues& s = march.step[i];
    m.X.push_back(s.X);
    m.P.push_back(toOutput(s.P, UnitKind::stress, units));
    m.F.push_back(toOutput(s.F, UnitKind::forcePerWidth, units));
    m.RK.push_back(toOutput(s.RK, UnitKind::stress, units));
    m.SL_ST.push_back(s.SL_ST);
  }
  return m;
}

// Why a pass has no loads, or nothing at all; "" for a pass that is whole.
std::string noteOf(const PassJob& job) {
  if (!job.readable) return "Not computed: " + job.problem;
  if (noFlattenedRadius(job)) return "No flattened radius: " + flatteningNote(job) + "; nothing of the pass is given.";
  if (job.answer.status == passes::Status::noNeutralPoint) {
    return "No neutral point: the force curves of the two marches do not meet, so there are no loads.";
  }
  if (job.answer.status != passes::Status::fault) return "";
  const Fault& fault = job.answer.fault;
  std::string where = stageName(fault.stage);
  if (const char* side = sideName(fault.stage)) where += std::string(", ") + side + " side";
  if (fault.step > 0) where += ", step " + std::to_string(fault.step);
  return "M" + std::to_string(fault.number) + " " + fault.message + " (" + where +
         "): no picture, no loads.";
}

// The typed columns with a value, the later ones (curve, rolls, speed) too.
std::vector<pics::Row> inputRows(const PassJob& job) {
  std::vector<pics::Row> rows;
  for (const auto columns : {resultColumns(), laterResultColumns(), hotResultColumns()}) {
    for (const ResultColumn& column : columns) {
      if (column.presence != Presence::typed) continue;
      const auto value = resultValue(column, job);
      const char* word = resultWord(column, job);
      if (!value && word == nullptr) continue;
      rows.push_back({std::string(column.name) + " (" + column.meaning + ")", value ? floatText(*value) : word,
                      displayUnit(column.unit, job.units)});
    }
  }
  return rows;
}

// The status, then every summary value the pass has.
std::vector<pics::Row> summaryRows(const PassJob& job) {
  char buffer[16];
  std::vector<pics::Row> rows = {{"status", std::string(statusText(job, buffer)), ""}};
  for (const auto columns : {resultColumns(), laterResultColumns(), hotResultColumns()}) {
    for (const ResultColumn& column : columns) {
      if (column.presence == Presence::typed) continue;
      if (const auto value = resultValue(column, job)) {
        rows.push_back({std::string(column.name) + " (" + column.meaning + ")", floatText(*value),
                        displayUnit(column.unit, job.units)});
      }
    }
  }
  return rows;
}

// The steps of a march `steps` asks for (the console's rows: 1, 11, 21,
// ...), every step column, as the result file's texts.
pics::StepTable stepTable(const char* side, const March& march, Units units, HtmlSteps steps) {
  const int every = steps == HtmlSteps::rows ? 10 : 1;
  const std::string caption = std::string(side) + (every == 1 ? ", every step" : ", every tenth step (the console's rows)");
  pics::StepTable table;
  table.caption = caption;
  for (const StepColumn& column : stepColumns()) {
    const std::string unit = displayUnit(column.unit, units);
    table.columns.push_back(unit.empty() ? column.name : std::string(column.name) + " (" + unit + ")");
  }
  for (int i = 0; i < march.steps; i += every) {
    std::vector<std::string>& row = table.rows.emplace_back();
    for (const StepColumn& column : stepColumns()) row.push_back(floatText(stepValue(column, march.step[i], units)));
  }
  return table;
}

}  // namespace

// Only what plain text spells differently; the rest as the result file's help names it.
std::string displayUnit(UnitKind kind, Units units) {
  const bool si = units == Units::si;
  if (kind == UnitKind::degrees) return "°";
  if (kind == UnitKind::celsius) return "°C";
  if (kind == UnitKind::stress && !si) return "kgf/mm²";
  if (kind == UnitKind::torque) return si ? "kN·m/m" : "t·m/m";
  return unitName(kind, units);
}

std::string floatText(float value) {
  char buffer[32];
  return std::string(shortestText(value, buffer));
}

bool hasHill(const PassJob& job) { return passes::hasSummary(job.answer) && job.answer.pass != nullptr; }

// A flow curve given instead of Y: ", swift K 55 kgf/mm², N 0.22, EPS0 0.012"
// (and the strain brought in, EPS), or "".
std::string curveText(const PassJob& job, const Sweep* leaveOut) {
  if (!job.has[kCURVE]) return "";
  std::string text;
  for (const ResultColumn& column : laterResultColumns()) {
    if (column.presence != Presence::typed || column.input > kEPS) continue;
    if (leaveOut != nullptr && leaveOut->varyOf(column.input) != nullptr) continue;
    if (const char* word = resultWord(column, job)) text += std::string(", ") + word;
    else if (const auto value = resultValue(column, job))
      text += (column.input == kK ? " " : ", ") + valueWithUnit(column.name, *value, column.unit, job.units);
  }
  return text;
}

// The typed result columns with a value: numbers only (a word column has none).
// H1 and H2 read as one change of thickness: "H1 2 → H2 1.5 mm".
std::string inputsText(const PassJob& job, const Sweep* leaveOut) {
  std::string text;
  bool joined = false;  // the last piece was "H1 2 → "
  for (const ResultColumn& column : resultColumns()) {
    if (column.presence != Presence::typed) continue;
    const auto value = resultValue(column, job);
    if (!value || (leaveOut != nullptr && leaveOut->varyOf(column.input) != nullptr)) continue;
    if (!text.empty() && !joined) text += ", ";
    joined = column.input == kH1 && job.has[kH2] && (leaveOut == nullptr || leaveOut->varyOf(kH2) == nullptr);
    if (joined) text += std::string(column.name) + " " + floatText(*value) + " → ";
    else text += valueWithUnit(column.name, *value, column.unit, job.units);
  }
  return text + curveText(job, leaveOut);
}

std::string passName(const PassJob& job, const Sweep& sweep) {
  std::string name = "line " + std::to_string(job.line);
  if (sweep.empty()) return name;
  name += ", case " + std::to_string(job.caseNumber) + " of " + std::to_string(sweep.caseCount()) + ":";
  for (const Vary& vary : sweep.varies()) {
    name += std::string(vary.column == sweep.varies().front().column ? " " : ", ") +
            inputColumns()[vary.column].name + " " + vary.texts[sweep.valueIndex(vary, job.caseNumber - 1)];
  }
  return name;
}

// A hot pass's temperatures and strain rate for a picture's subtitle:
// "; T_ENTRY 1035.2 → T_EXIT 1031.9 °C, EPS_RATE_MEAN 9.36 /s (RK: misaka along the arc)".
std::string hotSubtitle(const PassJob& job) {
  const passes::PassValues& v = job.answer.values;
  char text[160];
  std::snprintf(text, sizeof text, "; T_ENTRY %.1f → T_EXIT %.1f °C, EPS_RATE_MEAN %.3g /s (RK: %s along the arc)",
                v.T_ENTRY, v.T_EXIT, v.EPS_RATE_MEAN, flowLawName(job.request.hotMaterial.law));
  return text;
}

pics::FrictionHill frictionHill(const PassJob& job, const Sweep& sweep) {
  pics::FrictionHill hill;
  hill.title = inputsText(job);
  hill.subtitle = passName(job, sweep);
  const passes::Answer& a = job.answer;
  if (a.flattened && a.flattening.status == passes::FlatteningStatus::settled) {
    hill.subtitle += "; roll radius R " + floatText(job.request.input.R) + " mm, drawn over the flattened arc, R′ " +
                     floatText(a.values.R_FLAT) + " mm";
  }
  if (a.hot) hill.subtitle += hotSubtitle(job);
  const PassResult& r = *a.pass;
  hill.exitMarch = marchSteps(r.exit, job.units);
  hill.entryMarch = marchSteps(r.entry, job.units);
  if (r.outcome == Outcome::neutralPoint) {
    hill.neutral = pics::NeutralPoint{r.XN, toOutput(r.NEUTRAL_P, UnitKind::stress, job.units),
                                      toOutput(r.NEUTRAL_F, UnitKind::forcePerWidth, job.units)};
  }
  hill.contactLength = r.XL;
  hill.units = {"mm", displayUnit(UnitKind::stress, job.units), displayUnit(UnitKind::forcePerWidth, job.units)};
  return hill;
}

pics::PassReport passReport(const PassJob& job, const Sweep& sweep, const pics::FrictionHill* hill, HtmlSteps steps) {
  pics::PassReport report;
  report.heading = passName(job, sweep);  // the inputs follow in their table
  report.heading[0] = 'L';
  report.note = noteOf(job);
  report.inputs = inputRows(job);
  report.summary = summaryRows(job);
  report.hill = hasHill(job) ? hill : nullptr;
  const PassResult* r = job.answer.pass;
  if (r != nullptr && steps != HtmlSteps::none) {
    if (r->exit.steps > 0) report.steps.push_back(stepTable("Exit march", r->exit, job.units, steps));
    if (r->entry.steps > 0) report.steps.push_back(stepTable("Entry march", r->entry, job.units, steps));
  }
  return report;
}

namespace {

// The result columns of the index, by name.
const ResultColumn* resultColumn(std::string_view name) {
  for (const ResultColumn& column : resultColumns())
    if (name == column.name) return &column;
  return nullptr;
}

constexpr const char* kIndexColumns[] = {"ROLLING_FORCE", "G", "TORQUE_ARM", "XN"};

}  // namespace

std::vector<std::string> passIndexCells(const PassJob& job) {
  char buffer[16];
  std::vector<std::string> cells{std::string(statusText(job, buffer))};
  for (const char* name : kIndexColumns) {
    const auto value = resultValue(*resultColumn(name), job);
    cells.push_back(value ? floatText(*value) : "");
  }
  return cells;
}

std::vector<std::string> passIndexColumns(Units units) {
  std::vector<std::string> columns{"status"};
  for (const char* name : kIndexColumns) {
    const ResultColumn& column = *resultColumn(name);
    const std::string unit = displayUnit(column.unit, units);
    columns.push_back(std::string(column.name) + " (" + column.meaning + (unit.empty() ? "" : ", " + unit) + ")");
  }
  return columns;
}

}  // namespace orowan::batch
