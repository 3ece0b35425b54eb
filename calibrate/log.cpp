// Reading a plant log: CSV records or JSON objects to the batch tool's
// input lines, prepared by its own request builder, plus the measured and
// law columns.
#include "calibrate/log.h"

#include <cerrno>
#include <cstdlib>
#include <memory>
#include <stdexcept>

#include <nlohmann/json.hpp>

#include "batch/csv_reader.h"
#include "batch/fit.h"
#include "batch/request.h"

namespace orowan::calibrate {
namespace {

// One log line as texts by column name, before it is read.
struct RawLine {
  long line = 0;
  std::map<std::string, std::string> fields;  // blanks around each value removed
  std::string problem;                        // a syntax problem of the record
};

std::string trimmed(const std::string& s) {
  const auto a = s.find_first_not_of(" \t");
  if (a == std::string::npos) return "";
  const auto b = s.find_last_not_of(" \t");
  return s.substr(a, b - a + 1);
}

// CSV: the header's names, then one RawLine a record.
std::vector<RawLine> csvLines(const std::string& bytes, std::vector<std::string>& header) {
  batch::ByteSource source(bytes);
  batch::CsvReader reader(source);
  batch::CsvRecord record;
  std::vector<RawLine> lines;
  bool first = true;
  while (reader.next(record)) {
    if (record.blank()) continue;
    if (first) {
      for (long i = 0; i < record.kept(); ++i) header.push_back(trimmed(record.fields[i].text));
      first = false;
      continue;
    }
    RawLine raw{record.line, {}, record.problem};
    for (long i = 0; i < record.kept() && i < long(header.size()); ++i) raw.fields[header[i]] = trimmed(record.fields[i].text);
    if (raw.problem.empty() && record.fieldCount != long(header.size()))
      raw.problem = "the line has " + std::to_string(record.fieldCount) + " fields, the header " + std::to_string(header.size());
    lines.push_back(std::move(raw));
  }
  if (first) throw std::runtime_error("no header line");
  return lines;
}

// The line each top-level object of a JSON array starts on.
std::vector<long> objectLines(const std::string& bytes) {
  std::vector<long> starts;
  long line = 1;
  int depth = 0;
  bool inString = false, escaped = false;
  for (const char c : bytes) {
    if (c == '\n') ++line;
    if (inString) {
      if (escaped) escaped = false;
      else if (c == '\\') escaped = true;
      else if (c == '"') inString = false;
      continue;
    }
    if (c == '"') inString = true;
    else if (c == '[' || c == '{') {
      if (c == '{' && depth == 1) starts.push_back(line);
      ++depth;
    } else if (c == ']' || c == '}') --depth;
  }
  return starts;
}

// A JSON value as the text a CSV field would hold.
std::string jsonText(const nlohmann::json& v) {
  if (v.is_null()) return "";
  if (v.is_string()) return trimmed(v.get<std::string>());
  return v.dump();
}

// JSON: every object's keys; the header is the union of keys.
std::vector<RawLine> jsonLines(const std::string& bytes, std::vector<std::string>& header) {
  nlohmann::json doc;
  try {
    doc = nlohmann::json::parse(bytes);
  } catch (const nlohmann::json::parse_error& e) {
    throw std::runtime_error(std::string("not JSON: ") + e.what());
  }
  if (!doc.is_array()) throw std::runtime_error("expected a JSON array of objects, one a pass");
  const std::vector<long> starts = objectLines(bytes);
  std::vector<RawLine> lines;
  for (std::size_t i = 0; i < doc.size(); ++i) {
    RawLine raw{i < starts.size() ? starts[i] : 0, {}, ""};
    if (!doc[i].is_object()) raw.problem = "expected an object";
    else
      for (const auto& [key, value] : doc[i].items()) {
        if (value.is_object() || value.is_array()) raw.problem = "key " + key + ": expected a number or a text";
        raw.fields[key] = jsonText(value);
        if (std::find(header.begin(), header.end(), key) == header.end()) header.push_back(key);
      }
    lines.push_back(std::move(raw));
  }
  return lines;
}

bool looksLikeJson(const std::string& bytes) {
  const auto at = bytes.find_first_not_of(" \t\r\n\xEF\xBB\xBF");
  return at != std::string::npos && (bytes[at] == '[' || bytes[at] == '{');
}

// The batch tool's input line of a raw line (U from the fit's start).
batch::InputLine inputLine(const RawLine& raw) {
  batch::InputLine in;
  in.line = raw.line;
  in.problem = raw.problem;
  for (const auto& [name, text] : raw.fields) {
    const int c = batch::inputColumnIndex(name);
    if (c < 0) continue;
    in.fields[c].present = true;
    in.fields[c].text = text;
  }
  batch::fillFitStart(batch::FitRequest{true, passes::FitTarget::friction}, in);
  return in;
}

// A law column's number: "" or the problem.
std::string lawNumber(const RawLine& raw, const std::string& column, double& value) {
  const auto it = raw.fields.find(column);
  if (it == raw.fields.end() || it->second.empty()) return "column " + column + ": empty; the friction law needs a number";
  char* end = nullptr;
  errno = 0;
  value = std::strtod(it->second.c_str(), &end);
  if (end == it->second.c_str() || *end != '\0' || errno == ERANGE || !std::isfinite(value))
    return "column " + column + ": expected a number, found \"" + it->second + "\"";
  return "";
}

// The measured values checked, in analysis units: "" or the problem.
std::string measured(const batch::PassJob& job, LogLine& line) {
  using batch::kFORCE_MEASURED;
  using batch::kFORWARD_SLIP_MEASURED;
  if (!job.has[kFORCE_MEASURED]) return "column FORCE_MEASURED: missing or empty";
  if (!(job.typed[kFORCE_MEASURED] > 0))
    return "column FORCE_MEASURED: must be above 0, found " + passes::singleText(job.typed[kFORCE_MEASURED]);
  line.force = batch::toAnalysis(job.typed[kFORCE_MEASURED], batch::UnitKind::load, job.units);
  if (!job.has[kFORWARD_SLIP_MEASURED]) return "";
  if (!(job.typed[kFORWARD_SLIP_MEASURED] > 0))
    return "column FORWARD_SLIP_MEASURED: must be above 0, found " + passes::singleText(job.typed[kFORWARD_SLIP_MEASURED]);
  line.slip = job.typed[kFORWARD_SLIP_MEASURED];
  return "";
}

// The columns that every line needs, against the header.
void checkHeader(const std::vector<std::string>& header, const LogColumns& columns) {
  const auto named = [&](const std::string& n) { return std::find(header.begin(), header.end(), n) != header.end(); };
  const std::string missing = batch::missingRequiredColumn(
      [&](int c) { return c == batch::kU || named(batch::inputColumns()[c].name); });
  if (!missing.empty()) throw std::runtime_error(missing);
  if (!named("FORCE_MEASURED")) throw std::runtime_error("column FORCE_MEASURED: required, but the log does not name it");
  for (const auto* list : {&columns.numbers, &columns.words})
    for (const std::string& c : *list)
      if (!named(c)) throw std::runtime_error("column " + c + ": the laws use it, but the log does not name it");
}

}  // namespace

Log readLog(const std::string& name, const std::string& bytes, const LogColumns& columns, batch::Units units) {
  Log log;
  log.name = name;
  std::vector<std::string> header;
  std::vector<RawLine> raws;
  try {
    raws = looksLikeJson(bytes) ? jsonLines(bytes, header) : csvLines(bytes, header);
    checkHeader(header, columns);
  } catch (const std::runtime_error& e) {
    throw std::runtime_error(name + ": " + e.what());
  }
  for (const auto& c : batch::inputColumns())
    if (c.unit != batch::UnitKind::word && std::string(c.name).find("MEASURED") == std::string::npos) log.numberNames.push_back(c.name);
  for (const std::string& c : columns.numbers)
    if (numberIndex(log, c) < 0) log.numberNames.push_back(c);
  log.wordNames = columns.words;
  batch::Sweep sweep;
  batch::Schedule schedule(1);
  auto job = std::make_unique<batch::PassJob>();
  for (const RawLine& raw : raws) {
    batch::prepareJob(inputLine(raw), sweep, 0, units, schedule, *job);
    schedule.lineDone();
    LogLine line;
    line.line = raw.line;
    std::string problem = job->readable ? measured(*job, line) : job->problem;
    if (problem.empty() && job->request.frictionTable != nullptr) problem = "column U: a friction table; the calibration fits a friction law";
    line.numbers.assign(log.numberNames.size(), NAN);
    for (std::size_t i = 0; i < log.numberNames.size(); ++i) {
      const int c = batch::inputColumnIndex(log.numberNames[i]);
      const bool law = std::find(columns.numbers.begin(), columns.numbers.end(), log.numberNames[i]) != columns.numbers.end();
      if (c >= 0 && job->has[c]) line.numbers[i] = job->typed[c];
      else if (law && problem.empty()) problem = lawNumber(raw, log.numberNames[i], line.numbers[i]);
    }
    for (const std::string& w : columns.words) {
      const auto it = raw.fields.find(w);
      const std::string value = it == raw.fields.end() ? "" : it->second;
      if (value.empty() && problem.empty()) problem = "column " + w + ": empty; the law groups the lines by it";
      line.words.push_back(value);
    }
    if (!problem.empty()) {
      log.refused.push_back({raw.line, problem});
      continue;
    }
    line.request = job->request;
    log.lines.push_back(std::move(line));
  }
  return log;
}

int numberIndex(const Log& log, const std::string& name) {
  for (std::size_t i = 0; i < log.numberNames.size(); ++i)
    if (log.numberNames[i] == name) return int(i);
  return -1;
}

}  // namespace orowan::calibrate
