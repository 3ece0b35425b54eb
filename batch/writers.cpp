// CSV and JSON writers over the column tables.
#include "batch/writers.h"

#include <charconv>
#include <cmath>
#include <nlohmann/json.hpp>

#include "batch/hot_request.h"
#include "batch/fit.h"
#include "batch/solve.h"
#include "passes/shortest_chars.h"

namespace orowan::batch {
namespace {

// A CSV field: quoted when it holds a comma, a quote or a line end.
void putCsvText(std::string& out, std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) return (void)out.append(text);
  out.push_back('"');
  for (const char c : text) {
    if (c == '"') out.push_back('"');
    out.push_back(c);
  }
  out.push_back('"');
}

void putNumber(std::string& out, float value) {
  char buffer[32];
  out.append(shortestText(value, buffer));
}

void putInteger(std::string& out, long value) {
  char buffer[24];
  const auto end = passes::toShortestChars(buffer, buffer + sizeof buffer, value).ptr;
  out.append(buffer, static_cast<std::size_t>(end - buffer));
}

// A JSON string; bytes that are not UTF-8 become U+FFFD.
void putJsonString(std::string& out, std::string_view text) {
  out.append(nlohmann::json(std::string(text)).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
}

// A JSON number; infinity and NaN, which JSON has not, as strings.
void putJsonNumber(std::string& out, float value) {
  if (!std::isfinite(value)) out.push_back('"');
  putNumber(out, value);
  if (!std::isfinite(value)) out.push_back('"');
}

// A fault of the line's own console pass (not one met in a
// flattened-radius search, nor the converged solver's, which has no
// stage or step).
const Fault* consoleFault(const PassJob& job) {
  const passes::Answer& a = job.answer;
  if (!passReported(job) || a.status != passes::Status::fault || a.solver != Solver::console) return nullptr;
  return &a.fault;
}

// The message column: the line's problem, why no flattened radius was
// found, the fault's message or formula; nullptr for none.
const char* messageOf(const PassJob& job, std::string& note) {
  if (!job.readable) return job.problem.c_str();
  if (noFlattenedRadius(job)) return (note = flatteningNote(job)).c_str();
  if (job.answer.status != passes::Status::fault)
    return job.answer.hotLimits != 0 ? (note = hotValidityNote(job)).c_str() : nullptr;
  return job.answer.solver == Solver::console ? job.answer.fault.message : job.answer.convergedWhere;
}

// A cell's number: the shortest text of its float, or of its double.
void putCellNumber(std::string& out, CellNumber number) {
  if (number.single) return putNumber(out, static_cast<float>(number.value));
  char buffer[32];
  out.append(shortestDoubleText(number.value, buffer));
}

// A CSV cell: the number, the word, or nothing.
void putCsvCell(std::string& t, const ResultColumn& column, const PassJob& job) {
  if (const auto number = resultNumber(column, job)) putCellNumber(t, *number);
  else if (const char* word = resultWord(column, job)) putCsvText(t, word);
}

// A CSV file: a header at the start, each pass's rendered lines in order.
class CsvWriter : public ResultWriter {
 public:
  CsvWriter(OutputFile& out, Layout layout) : out_(out), layout_(layout) {}
  void write(const PassJob&, const std::string& text) override { out_.write(text); }
  void end() override {}

 protected:
  OutputFile& out_;
  Layout layout_;
};

// ---- CSV results

class CsvResultWriter : public CsvWriter {
 public:
  using CsvWriter::CsvWriter;
  void begin() override;
  void render(const PassJob& job, std::string& text) const override;
};

// The passed-through columns, after every result column: CSV text as
// read; a JSON value's text (a string's contents, a number as written).
void putCsvKept(std::string& t, const PassJob& job) {
  for (const KeptText& kept : job.kept) {
    t.push_back(',');
    if (kept.kind != KeptText::Kind::absent) putCsvText(t, kept.text);
  }
}

// In JSON: a string stays a string, a number or literal stays itself,
// CSV text becomes a string, nothing becomes null.
void putJsonKept(std::string& t, const PassJob& job, const std::vector<std::string>& names) {
  for (std::size_t k = 0; k < names.size() && k < job.kept.size(); ++k) {
    t.push_back(',');
    putJsonString(t, names[k]);
    t.push_back(':');
    const KeptText& kept = job.kept[k];
    if (kept.kind == KeptText::Kind::absent) t.append("null");
    else if (kept.kind == KeptText::Kind::json) t.append(kept.text);
    else putJsonString(t, kept.text);
  }
}

void CsvResultWriter::begin() {
  std::string header = layout_.sweep ? "line,case" : "line";
  for (const ResultColumn& column : resultColumns()) header.append(",").append(column.name);
  header.append(",status,message,stage,side,step");
  for (const ResultColumn& column : laterResultColumns()) header.append(",").append(column.name);
  if (layout_.stepsPerSide) header.append(",STEPS_PER_SIDE");
  for (const ResultColumn& column : hotResultColumns()) header.append(",").append(column.name);
  if (layout_.fit) putFitHeader(header);
  for (const std::string& name : layout_.kept) header.push_back(','), putCsvText(header, name);
  out_.write(header + "\n");
}

// status, message, stage, side, step: the last four empty when they do
// not apply.
void putCsvStatus(std::string& t, const PassJob& job) {
  char buffer[16];
  std::string note;
  t.push_back(',');
  t.append(statusText(job, buffer));
  t.push_back(',');
  if (const char* message = messageOf(job, note)) putCsvText(t, message);
  const Fault* fault = consoleFault(job);
  if (fault == nullptr) return (void)t.append(",,,");
  const Fault& f = *fault;
  t.append(",").append(stageName(f.stage)).append(",");
  if (const char* side = sideName(f.stage)) t.append(side);
  t.push_back(',');
  if (f.step > 0) putInteger(t, f.step);
}

void CsvResultWriter::render(const PassJob& job, std::string& t) const {
  putInteger(t, job.line);
  if (layout_.sweep) t.push_back(','), putInteger(t, job.caseNumber);
  for (const ResultColumn& column : resultColumns()) {
    t.push_back(',');
    putCsvCell(t, column, job);
  }
  putCsvStatus(t, job);
  for (const ResultColumn& column : laterResultColumns()) {
    t.push_back(',');
    putCsvCell(t, column, job);
  }
  if (layout_.stepsPerSide) {
    t.push_back(',');
    if (job.answer.stepsPerSide > 0) putInteger(t, job.answer.stepsPerSide);
  }
  for (const ResultColumn& column : hotResultColumns()) {
    t.push_back(',');
    putCsvCell(t, column, job);
  }
  if (layout_.fit) putFitCsv(t, job);
  putCsvKept(t, job);
  t.push_back('\n');
}

// ---- CSV steps

class CsvStepWriter : public CsvWriter {
 public:
  using CsvWriter::CsvWriter;
  void begin() override;
  void render(const PassJob& job, std::string& text) const override;

 private:
  void renderMarch(const PassJob& job, const char* side, const March& march, std::string& t) const;
};

void CsvStepWriter::begin() {
  std::string header = layout_.sweep ? "line,case,side,step" : "line,side,step";
  for (const StepColumn& column : stepColumns()) header.append(",").append(column.name);
  out_.write(header + "\n");
}

void CsvStepWriter::render(const PassJob& job, std::string& t) const {
  if (job.answer.pass == nullptr) return;
  renderMarch(job, "exit", job.answer.pass->exit, t);
  renderMarch(job, "entry", job.answer.pass->entry, t);
}

void CsvStepWriter::renderMarch(const PassJob& job, const char* side, const March& march,
                                std::string& t) const {
  for (int i = 0; i < march.steps; ++i) {
    putInteger(t, job.line);
    if (layout_.sweep) t.push_back(','), putInteger(t, job.caseNumber);
    t.append(",").append(side).append(",");
    putInteger(t, i + 1);
    for (const StepColumn& column : stepColumns()) {
      t.push_back(',');
      putNumber(t, stepValue(column, march.step[i], layout_.units));
    }
    t.push_back('\n');
  }
}

// ---- JSON

class JsonWriter : public ResultWriter {
 public:
  JsonWriter(OutputFile& out, Layout layout, bool steps) : out_(out), layout_(layout), steps_(steps) {}
  void begin() override { out_.write("["); }
  void render(const PassJob& job, std::string& text) const override;
  // The separator is the one thing that depends on the order.
  void write(const PassJob&, const std::string& text) override {
    out_.write(first_ ? "\n" : ",\n");
    out_.write(text);
    first_ = false;
  }
  void end() override { out_.write(first_ ? "]\n" : "\n]\n"); }

 private:
  OutputFile& out_;
  Layout layout_;
  bool steps_;
  bool first_ = true;
  void renderMarch(const March& march, std::string& t) const;
};

// status, message, stage, side, step: null when they do not apply.
void putJsonStatus(std::string& t, const PassJob& job) {
  char buffer[16];
  std::string note;
  t.append(",\"status\":");
  putJsonString(t, statusText(job, buffer));
  t.append(",\"message\":");
  if (const char* message = messageOf(job, note)) putJsonString(t, message);
  else t.append("null");
  const Fault* f = consoleFault(job);
  if (f == nullptr) return (void)t.append(",\"stage\":null,\"side\":null,\"step\":null");
  const Fault& fault = *f;
  t.append(",\"stage\":");
  putJsonString(t, stageName(fault.stage));
  t.append(",\"side\":");
  if (const char* side = sideName(fault.stage)) putJsonString(t, side);
  else t.append("null");
  t.append(",\"step\":");
  if (fault.step > 0) putInteger(t, fault.step);
  else t.append("null");
}

// ,"NAME":value, the value a number, a word or null.
void putJsonCell(std::string& t, const ResultColumn& column, const PassJob& job) {
  t.append(",\"").append(column.name).append("\":");
  if (const auto number = resultNumber(column, job)) {
    if (number->single) putJsonNumber(t, static_cast<float>(number->value));
    else putCellNumber(t, *number);
  } else if (const char* word = resultWord(column, job)) putJsonString(t, word);
  else t.append("null");
}

void JsonWriter::render(const PassJob& job, std::string& t) const {
  t.append("{\"line\":");
  putInteger(t, job.line);
  if (layout_.sweep) t.append(",\"case\":"), putInteger(t, job.caseNumber);
  for (const ResultColumn& column : resultColumns()) putJsonCell(t, column, job);
  putJsonStatus(t, job);
  for (const ResultColumn& column : laterResultColumns()) putJsonCell(t, column, job);
  if (layout_.stepsPerSide) {
    t.append(",\"STEPS_PER_SIDE\":");
    if (job.answer.stepsPerSide > 0) putInteger(t, job.answer.stepsPerSide);
    else t.append("null");
  }
  if (steps_ && job.answer.pass != nullptr) {
    t.append(",\"steps\":{\"exit\":");
    renderMarch(job.answer.pass->exit, t);
    t.append(",\"entry\":");
    renderMarch(job.answer.pass->entry, t);
    t.push_back('}');
  }
  // After everything a line had before, the steps included; the columns
  // passed through last, after every result.
  for (const ResultColumn& column : hotResultColumns()) putJsonCell(t, column, job);
  if (layout_.fit) putFitJson(t, job);
  putJsonKept(t, job, layout_.kept);
  t.push_back('}');
}

// Column arrays: {"X":[...],"PHI":[...],...}.
void JsonWriter::renderMarch(const March& march, std::string& t) const {
  char open = '{';
  for (const StepColumn& column : stepColumns()) {
    t.push_back(open);
    open = ',';
    putJsonString(t, column.name);
    t.append(":[");
    for (int i = 0; i < march.steps; ++i) {
      if (i > 0) t.push_back(',');
      putJsonNumber(t, stepValue(column, march.step[i], layout_.units));
    }
    t.push_back(']');
  }
  t.push_back('}');
}

}  // namespace

std::string_view shortestText(float value, char (&buffer)[32]) {
  const auto end = passes::toShortestChars(buffer, buffer + sizeof buffer, value).ptr;
  return std::string_view(buffer, static_cast<std::size_t>(end - buffer));
}

std::unique_ptr<ResultWriter> makeCsvResultWriter(OutputFile& out, Layout layout) {
  return std::make_unique<CsvResultWriter>(out, layout);
}

std::unique_ptr<ResultWriter> makeCsvStepWriter(OutputFile& out, Layout layout) {
  return std::make_unique<CsvStepWriter>(out, layout);
}

std::unique_ptr<ResultWriter> makeJsonWriter(OutputFile& out, Layout layout, bool steps) {
  return std::make_unique<JsonWriter>(out, layout, steps);
}

}  // namespace orowan::batch
