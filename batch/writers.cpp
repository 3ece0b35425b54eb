// CSV and JSON writers over the column tables.
#include "batch/writers.h"

#include <charconv>
#include <cmath>
#include <nlohmann/json.hpp>

namespace batch {
namespace {

// A CSV field: quoted when it holds a comma, a quote or a line end.
void putCsvText(OutputFile& out, std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) return out.write(text);
  out.put('"');
  for (const char c : text) {
    if (c == '"') out.put('"');
    out.put(c);
  }
  out.put('"');
}

void putNumber(OutputFile& out, float value) {
  char buffer[32];
  out.write(shortestText(value, buffer));
}

void putInteger(OutputFile& out, long value) {
  char buffer[24];
  const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
  out.write(buffer, static_cast<std::size_t>(end - buffer));
}

// A JSON string; bytes that are not UTF-8 become U+FFFD.
void putJsonString(OutputFile& out, std::string_view text) {
  out.write(nlohmann::json(std::string(text)).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
}

// A JSON number; infinity and NaN, which JSON has not, as strings.
void putJsonNumber(OutputFile& out, float value) {
  if (!std::isfinite(value)) out.put('"');
  putNumber(out, value);
  if (!std::isfinite(value)) out.put('"');
}

bool faulted(const PassJob& job) { return job.readable && job.result.outcome == orowan::Outcome::fault; }

// ---- CSV results

class CsvResultWriter : public ResultWriter {
 public:
  CsvResultWriter(OutputFile& out, Layout layout) : out_(out), layout_(layout) {}
  void begin() override;
  void write(const PassJob& job) override;
  void end() override {}

 private:
  OutputFile& out_;
  Layout layout_;
  void writeStatus(const PassJob& job);
};

void CsvResultWriter::begin() {
  out_.write(layout_.sweep ? "line,case" : "line");
  for (const ResultColumn& column : resultColumns()) {
    out_.put(',');
    out_.write(column.name);
  }
  out_.write(",status,message,stage,side,step\n");
}

void CsvResultWriter::write(const PassJob& job) {
  putInteger(out_, job.line);
  if (layout_.sweep) out_.put(','), putInteger(out_, job.caseNumber);
  for (const ResultColumn& column : resultColumns()) {
    out_.put(',');
    if (const auto value = resultValue(column, job)) putNumber(out_, *value);
  }
  writeStatus(job);
  out_.put('\n');
}

// status, message, stage, side, step: the last four empty when they do
// not apply.
void CsvResultWriter::writeStatus(const PassJob& job) {
  char buffer[16];
  out_.put(',');
  out_.write(statusText(job, buffer));
  out_.put(',');
  if (!job.readable) putCsvText(out_, job.problem);
  if (!faulted(job)) return out_.write(",,,");
  const orowan::Fault& fault = job.result.fault;
  putCsvText(out_, fault.message);
  out_.put(',');
  out_.write(stageName(fault.stage));
  out_.put(',');
  if (const char* side = sideName(fault.stage)) out_.write(side);
  out_.put(',');
  if (fault.step > 0) putInteger(out_, fault.step);
}

// ---- CSV steps

class CsvStepWriter : public ResultWriter {
 public:
  CsvStepWriter(OutputFile& out, Layout layout) : out_(out), layout_(layout) {}
  void begin() override;
  void write(const PassJob& job) override;
  void end() override {}

 private:
  OutputFile& out_;
  Layout layout_;
  void writeMarch(const PassJob& job, const char* side, const orowan::March& march);
};

void CsvStepWriter::begin() {
  out_.write(layout_.sweep ? "line,case,side,step" : "line,side,step");
  for (const StepColumn& column : stepColumns()) {
    out_.put(',');
    out_.write(column.name);
  }
  out_.put('\n');
}

void CsvStepWriter::write(const PassJob& job) {
  if (!job.readable) return;
  writeMarch(job, "exit", job.result.exit);
  writeMarch(job, "entry", job.result.entry);
}

void CsvStepWriter::writeMarch(const PassJob& job, const char* side, const orowan::March& march) {
  for (int i = 0; i < march.steps; ++i) {
    putInteger(out_, job.line);
    if (layout_.sweep) out_.put(','), putInteger(out_, job.caseNumber);
    out_.put(',');
    out_.write(side);
    out_.put(',');
    putInteger(out_, i + 1);
    for (const StepColumn& column : stepColumns()) {
      out_.put(',');
      putNumber(out_, stepValue(column, march.step[i], layout_.units));
    }
    out_.put('\n');
  }
}

// ---- JSON

class JsonWriter : public ResultWriter {
 public:
  JsonWriter(OutputFile& out, Layout layout, bool steps) : out_(out), layout_(layout), steps_(steps) {}
  void begin() override { out_.write("["); }
  void write(const PassJob& job) override;
  void end() override { out_.write(first_ ? "]\n" : "\n]\n"); }

 private:
  OutputFile& out_;
  Layout layout_;
  bool steps_;
  bool first_ = true;
  void writeStatus(const PassJob& job);
  void writeMarch(const orowan::March& march);
};

void JsonWriter::write(const PassJob& job) {
  out_.write(first_ ? "\n{\"line\":" : ",\n{\"line\":");
  first_ = false;
  putInteger(out_, job.line);
  if (layout_.sweep) out_.write(",\"case\":"), putInteger(out_, job.caseNumber);
  for (const ResultColumn& column : resultColumns()) {
    out_.write(",\"");
    out_.write(column.name);
    out_.write("\":");
    if (const auto value = resultValue(column, job)) putJsonNumber(out_, *value);
    else out_.write("null");
  }
  writeStatus(job);
  if (steps_ && job.readable) {
    out_.write(",\"steps\":{\"exit\":");
    writeMarch(job.result.exit);
    out_.write(",\"entry\":");
    writeMarch(job.result.entry);
    out_.put('}');
  }
  out_.put('}');
}

void JsonWriter::writeStatus(const PassJob& job) {
  char buffer[16];
  out_.write(",\"status\":");
  putJsonString(out_, statusText(job, buffer));
  out_.write(",\"message\":");
  if (!job.readable) return putJsonString(out_, job.problem), out_.write(",\"stage\":null,\"side\":null,\"step\":null");
  if (!faulted(job)) return out_.write("null,\"stage\":null,\"side\":null,\"step\":null");
  const orowan::Fault& fault = job.result.fault;
  putJsonString(out_, fault.message);
  out_.write(",\"stage\":");
  putJsonString(out_, stageName(fault.stage));
  out_.write(",\"side\":");
  if (const char* side = sideName(fault.stage)) putJsonString(out_, side);
  else out_.write("null");
  out_.write(",\"step\":");
  if (fault.step > 0) putInteger(out_, fault.step);
  else out_.write("null");
}

// Column arrays: {"X":[...],"PHI":[...],...}.
void JsonWriter::writeMarch(const orowan::March& march) {
  char open = '{';
  for (const StepColumn& column : stepColumns()) {
    out_.put(open);
    open = ',';
    putJsonString(out_, column.name);
    out_.write(":[");
    for (int i = 0; i < march.steps; ++i) {
      if (i > 0) out_.put(',');
      putJsonNumber(out_, stepValue(column, march.step[i], layout_.units));
    }
    out_.put(']');
  }
  out_.put('}');
}

}  // namespace

std::string_view shortestText(float value, char (&buffer)[32]) {
  const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
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

}  // namespace batch
