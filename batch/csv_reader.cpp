// The record reader: a state machine over bytes that keeps fields in
// reused buffers, so that a record costs no allocation once warm.
#include "batch/csv_reader.h"

#include <algorithm>

namespace orowan::batch {
namespace {

void append(CsvField& field, int c) {
  if (field.text.size() < CsvReader::kMaxFieldBytes) field.text.push_back(static_cast<char>(c));
  else field.tooLong = true;
}

void setProblem(CsvRecord& record, const char* problem) {
  if (record.problem.empty()) record.problem = problem;
}

}  // namespace

long CsvRecord::kept() const { return std::min(fieldCount, CsvReader::kMaxFields); }

bool CsvRecord::blank() const {
  if (fieldCount != 1 || !problem.empty()) return false;
  return fields[0].text.find_first_not_of(" \t") == std::string::npos && !fields[0].tooLong;
}

CsvReader::CsvReader(ByteSource& source) : in_(source) {
  if (in_.peek() != 0xEF) return;
  // A byte order mark is three bytes; anything else starting with 0xEF is data.
  in_.get();
  if (in_.peek() == 0xBB) {
    in_.get();
    if (in_.peek() == 0xBF) in_.get();
  }
}

// A new empty field (buffers reused); past kMaxFields only counted.
void CsvReader::addField(CsvRecord& record, std::size_t& used) {
  ++record.fieldCount;
  if (record.fieldCount > kMaxFields) return;
  if (used == record.fields.size()) record.fields.emplace_back();
  CsvField& field = record.fields[used++];
  field.text.clear();
  field.tooLong = false;
}

// c is a line end (LF, CR, or CR LF, consumed whole): counts the line.
bool CsvReader::endOfLine(int c) {
  if (c == '\r') {
    if (in_.peek() == '\n') in_.get();
  } else if (c != '\n') {
    return false;
  }
  ++line_;
  return true;
}

// The rest of a quoted field after its opening quote, up to and
// including its closing quote; line ends inside it are data.
void CsvReader::readQuoted(CsvRecord& record, CsvField& field) {
  for (int c = in_.get();; c = in_.get()) {
    if (c < 0) return setProblem(record, "a quoted field is not closed before the end of the input");
    if (c == '"') {
      if (in_.peek() != '"') return;
      c = in_.get();  // a doubled quote is one quote of data
    } else if (c == '\n' || (c == '\r' && in_.peek() != '\n')) {
      ++line_;  // a CR LF is counted at its LF
    }
    append(field, c);
  }
}

void CsvReader::skipToLineEnd() {
  for (int c = in_.get(); c >= 0 && !endOfLine(c); c = in_.get()) {
  }
}

// Fields up to the line end that is outside quotes.
bool CsvReader::next(CsvRecord& record) {
  if (in_.peek() < 0) return false;
  record.line = line_;
  record.fieldCount = 0;
  record.problem.clear();
  std::size_t used = 0;
  addField(record, used);
  CsvField scratch;
  for (int c = in_.get(); c >= 0; c = in_.get()) {
    CsvField& field = used > 0 && record.fieldCount <= kMaxFields ? record.fields[used - 1] : scratch;
    if (endOfLine(c)) break;
    if (c == ',') {
      addField(record, used);
    } else if (c == '"' && field.text.empty() && !field.tooLong) {
      readQuoted(record, field);
      const int after = in_.peek();
      if (after >= 0 && after != ',' && after != '\n' && after != '\r') {
        setProblem(record, "a closing quote must end its field");
        skipToLineEnd();
        break;
      }
    } else {
      if (c == '"') setProblem(record, "a quote inside a field that does not start with one");
      append(field, c);
    }
  }
  return true;
}

}  // namespace orowan::batch
