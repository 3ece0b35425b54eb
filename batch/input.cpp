// The two sources: CSV records mapped through their header, JSON objects
// read by nlohmann's SAX parser with each number's own source text.
#include "batch/input.h"

#include <nlohmann/json.hpp>

#include "batch/csv_reader.h"
#include "batch/json_reader.h"

namespace orowan::batch {
namespace {

void trimBlanks(std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return text.clear();
  text.erase(text.find_last_not_of(" \t") + 1);
  text.erase(0, first);
}

void clearLine(InputLine& line, std::size_t kept) {
  line.kept.assign(kept, KeptText{});
  line.warning.clear();
  for (FieldText& field : line.fields) {
    field.present = false;
    field.text.clear();
    field.tooLong = false;
  }
  line.frictionTable.present = false;
  line.frictionTable.hasPositions = line.frictionTable.hasValues = false;
  line.frictionTable.positions.clear();
  line.frictionTable.values.clear();
  line.problem.clear();
  line.position.clear();
}

// ---- CSV

// The index of `name` in --keep's list, or -1.
int keptIndex(const std::vector<std::string>& keep, std::string_view name) {
  for (std::size_t k = 0; k < keep.size(); ++k)
    if (keep[k] == name) return static_cast<int>(k);
  return -1;
}

// The one warning for the unknown columns of a run.
std::string unknownColumnsWarning(const std::vector<std::string>& names, bool json) {
  std::string listed;
  for (const std::string& name : names) listed += (listed.empty() ? "\"" : ", \"") + name + "\"";
  const char* what = json ? (names.size() > 1 ? "keys" : "key") : (names.size() > 1 ? "columns" : "column");
  return std::string(what) + " " + listed + ": unknown (ignored" + (json ? ", as every unknown key" : "") +
         "; --keep NAME,... carries such columns into the results); the columns are " + inputColumnList();
}

class CsvSource : public PassSource {
 public:
  CsvSource(ByteSource& bytes, const std::vector<std::string>& keep) : reader_(bytes), keep_(keep) { readHeader(); }
  bool next(InputLine& line) override;
  bool names(int column) const override { return named_[column]; }

 private:
  CsvReader reader_;
  CsvRecord record_;
  std::vector<std::string> keep_;
  std::vector<int> columnOf_;      // header field -> InputIndex, or -1
  std::vector<int> keptOf_;        // header field -> --keep index, or -1
  std::vector<std::string> names_;  // header field names
  std::array<bool, kInputCount> named_ = {};

  void readHeader();
  void mapFields(InputLine& line);
};

// The first record that is not blank names the columns.
void CsvSource::readHeader() {
  bool found = false;
  while ((found = reader_.next(record_)) && record_.blank()) {
  }
  if (!found) throw SourceError{{1, "no header line: expected column names such as R,H1,H2,Y,U"}};
  if (!record_.problem.empty()) throw SourceError{{record_.line, "header: " + record_.problem}};
  std::vector<std::string> unknown;
  std::vector<bool> keptNamed(keep_.size());
  for (long i = 0; i < record_.kept(); ++i) {
    std::string name = record_.fields[i].text;
    if (name.find('\0') != std::string::npos) throw SourceError{{record_.line, "not a text file"}};
    trimBlanks(name);
    int column = inputColumnIndex(name);
    const int kept = column < 0 ? keptIndex(keep_, name) : -1;
    keptOf_.push_back(kept >= 0 && !keptNamed[kept] ? kept : -1);
    if (kept >= 0 && keptNamed[kept]) {
      headerProblems_.push_back({record_.line, "column " + name + ": named twice (the second is ignored)"});
    } else if (kept >= 0) {
      keptNamed[kept] = true;
    } else if (column < 0) {
      unknown.push_back(name);
    } else if (named_[column]) {
      headerProblems_.push_back({record_.line, "column " + name + ": named twice (the second is ignored)"});
      column = -1;
    } else {
      named_[column] = true;
    }
    columnOf_.push_back(column);
    names_.push_back(std::move(name));
  }
  if (!unknown.empty()) headerWarnings_.push_back({record_.line, unknownColumnsWarning(unknown, false)});
  for (std::size_t k = 0; k < keep_.size(); ++k) {
    if (!keptNamed[k])
      headerWarnings_.push_back({record_.line, "--keep " + keep_[k] + ": the header does not name it (left empty)"});
  }
}

// A record's fields into the line's columns; a field count other than
// the header's, or a NUL byte, makes the line unreadable.
void CsvSource::mapFields(InputLine& line) {
  const long expected = static_cast<long>(columnOf_.size());
  if (record_.fieldCount < expected) {
    line.problem = "column " + names_[record_.fieldCount] + ": missing (the line has " +
                   std::to_string(record_.fieldCount) + " fields, the header " + std::to_string(expected) + ")";
    return;
  }
  if (record_.fieldCount > expected) {
    line.problem = "an extra field (the line has " + std::to_string(record_.fieldCount) + " fields, the header " +
                   std::to_string(expected) + ")";
    return;
  }
  for (long i = 0; i < expected; ++i) {
    const CsvField& field = record_.fields[i];
    if (field.text.find('\0') != std::string::npos && line.problem.empty()) {
      line.problem = "column " + names_[i] + ": not text (a NUL byte)";
    }
    if (keptOf_[i] >= 0) line.kept[keptOf_[i]] = {KeptText::Kind::text, field.text};
    if (columnOf_[i] < 0) continue;
    FieldText& to = line.fields[columnOf_[i]];
    to.present = true;
    to.text = field.text;
    to.tooLong = field.tooLong;
    trimBlanks(to.text);
  }
}

bool CsvSource::next(InputLine& line) {
  do {
    if (!reader_.next(record_)) return false;
  } while (record_.blank());
  clearLine(line, keep_.size());
  line.line = line.sourceLine = record_.line;
  for (int c = 0; c < kInputCount; ++c) line.fields[c].present = named_[c];
  if (!record_.problem.empty()) line.problem = record_.problem;
  else mapFields(line);
  return true;
}

// ---- JSON

// The keys a JSON source passes through, and whether the run has been
// told of an unknown key yet.
struct JsonKeys {
  std::vector<std::string> keep;
  bool warned = false;
};

// One object's keys and values into the line: numbers by their source
// text, strings as value texts, null as an empty value; the first
// problem stops the parse. U may instead be a table, an object of two
// arrays X and U (depth 2, its arrays depth 3). A --keep key's value is
// passed through; any other unknown key is skipped, whatever its value.
class ObjectReader : public nlohmann::json_sax<nlohmann::json> {
 public:
  ObjectReader(const JsonElement& element, InputLine& line, JsonKeys& keys)
      : element_(element), line_(line), keys_(keys) {}

  bool null() override { return other() ? passThrough(KeptText::Kind::absent, "") : inArray() ? refuse("null") : value(""); }
  bool boolean(bool b) override { return other() ? passThrough(KeptText::Kind::json, b ? "true" : "false") : refuse(b ? "true" : "false"); }
  bool number_integer(number_integer_t) override { return number(); }
  bool number_unsigned(number_unsigned_t) override { return number(); }
  bool number_float(number_float_t, const string_t&) override { return number(); }
  bool string(string_t& s) override { return other() ? passThrough(KeptText::Kind::text, s) : value(s); }
  bool binary(binary_t&) override { return refuse("binary data"); }
  bool start_object(std::size_t) override;
  bool end_object() override { return skipping_ > 0 ? (--skipping_, true) : (--depth_, true); }
  bool start_array(std::size_t) override;
  bool end_array() override { return skipping_ > 0 ? (--skipping_, true) : (--depth_, true); }
  bool key(string_t& name) override;
  bool parse_error(std::size_t position, const std::string& token,
                   const nlohmann::detail::exception&) override;

 private:
  const JsonElement& element_;
  InputLine& line_;
  JsonKeys& keys_;
  int depth_ = 0;
  int column_ = -1;
  int kept_ = -1;            // the --keep index of the current key, or -1
  bool ignored_ = false;     // the current key is unknown and not kept
  int skipping_ = 0;         // nesting inside an ignored key's object or array
  std::string key_;
  std::vector<std::string>* tableArray_ = nullptr;  // the table's array being read
  std::size_t numbers_ = 0;

  bool inTable() const { return depth_ >= 2; }
  bool inArray() const { return depth_ == 3; }
  // The value of a kept or ignored key (or inside an ignored one).
  bool other() const { return skipping_ > 0 || (depth_ == 1 && (kept_ >= 0 || ignored_)); }
  bool passThrough(KeptText::Kind kind, const std::string& text);
  bool otherKey(const std::string& name);
  bool number();
  bool value(const std::string& text);
  bool refuse(const char* found);
  bool fail(std::string problem) { return line_.problem = std::move(problem), false; }
};

// A kept key's value into the line (ignored ones are dropped).
bool ObjectReader::passThrough(KeptText::Kind kind, const std::string& text) {
  if (skipping_ > 0 || ignored_) return true;
  if (text.find('\0') != std::string::npos) return fail("column " + key_ + ": not text (a NUL byte)");
  line_.kept[kept_] = {kind, text};
  return true;
}

// A key that is not an input column: kept, or ignored with the run's one
// warning.
bool ObjectReader::otherKey(const std::string& name) {
  kept_ = keptIndex(keys_.keep, name);
  ignored_ = kept_ < 0;
  if (kept_ >= 0 && line_.kept[kept_].kind != KeptText::Kind::absent) return fail("column " + name + ": named twice");
  if (ignored_ && !keys_.warned) {
    keys_.warned = true;
    line_.warning = unknownColumnsWarning({name}, true);
  }
  return true;
}

// The pass object itself, or U's table.
bool ObjectReader::start_object(std::size_t) {
  if (skipping_ > 0 || (depth_ == 1 && ignored_)) return ++skipping_, true;
  if (depth_ == 1 && kept_ >= 0) return fail("column " + key_ + ": a passed-through value is a number, a string, true, false or null");
  if (depth_ == 0 || (depth_ == 1 && column_ == kU && !line_.fields[kU].present)) {
    if (++depth_ == 2) line_.frictionTable.present = line_.fields[kU].present = true;
    return true;
  }
  return refuse("an object");
}

// Only a table's X and U are arrays.
bool ObjectReader::start_array(std::size_t) {
  if (skipping_ > 0 || (depth_ == 1 && ignored_)) return ++skipping_, true;
  if (depth_ == 1 && kept_ >= 0) return fail("column " + key_ + ": a passed-through value is a number, a string, true, false or null");
  if (depth_ == 2 && tableArray_ != nullptr) return ++depth_, true;
  return refuse("an array");
}

bool ObjectReader::key(string_t& name) {
  if (skipping_ > 0) return true;
  if (inTable()) {
    TableText& table = line_.frictionTable;
    const bool positions = name == "X";
    if (!positions && name != "U")
      return fail("column U: a friction table has the keys X and U, found \"" + name + "\"");
    bool& seen = positions ? table.hasPositions : table.hasValues;
    if (seen) return fail("column U: the table names " + name + " twice");
    seen = true;
    tableArray_ = positions ? &table.positions : &table.values;
    return true;
  }
  key_ = name;
  column_ = inputColumnIndex(name);
  kept_ = -1;
  ignored_ = false;
  if (column_ < 0) return otherKey(name);
  if (line_.fields[column_].present) return fail("column " + name + ": named twice");
  return true;
}

bool ObjectReader::number() {
  if (numbers_ >= element_.numberTexts.size()) return fail("a number the scanner did not see");
  const std::string& text = element_.numberTexts[numbers_++];
  return other() ? passThrough(KeptText::Kind::json, text) : value(text);
}

// A value text: into the column's field, or the table's array.
bool ObjectReader::value(const std::string& text) {
  if (inTable() && !inArray()) return refuse("a single value; a table's X and U are arrays");
  if (text.find('\0') != std::string::npos) return fail("column " + key_ + ": not text (a NUL byte)");
  if (inArray()) {
    if (tableArray_->size() > static_cast<std::size_t>(orowan::kMaxTablePoints)) return true;  // counted later
    std::string& kept = tableArray_->emplace_back(text);
    trimBlanks(kept);
    return true;
  }
  FieldText& field = line_.fields[column_];
  field.present = true;
  field.text = text;
  trimBlanks(field.text);
  return true;
}

bool ObjectReader::refuse(const char* found) {
  if (inTable()) return fail(std::string("column U: a friction table holds numbers, found ") + found);
  if (column_ == kU) {
    return fail(std::string("column U: expected a number or a table {\"X\": [...], \"U\": [...]}, found ") +
                found);
  }
  return fail("column " + key_ + ": expected a number, found " + found);
}

// The parser's position, as a line of the input.
bool ObjectReader::parse_error(std::size_t position, const std::string& token,
                               const nlohmann::detail::exception&) {
  const std::size_t end = std::min(position, element_.text.size());
  line_.sourceLine = element_.line + static_cast<long>(std::count(element_.text.begin(), element_.text.begin() + end, '\n'));
  if (!element_.indexed) line_.line = line_.sourceLine;
  return fail("not valid JSON near \"" + token.substr(0, 40) + "\"");
}

class JsonSource : public PassSource {
 public:
  JsonSource(ByteSource& bytes, const std::vector<std::string>& keep) : reader_(bytes) { keys_.keep = keep; }
  bool next(InputLine& line) override;
  bool names(int) const override { return true; }

 private:
  JsonArrayReader reader_;
  JsonElement element_;
  JsonKeys keys_;
};

// Where the element stands. On a line of its own, the line says it; an
// element that shares its line with a neighbour is named in messages by
// its index and byte offset, and in a minified array (elements side by
// side from line 1 on) the line column is the element's index.
void placeElement(const JsonElement& element, InputLine& line) {
  line.sourceLine = element.line;
  line.line = element.indexed ? element.index : element.line;
  if (element.follows) {
    if (element.indexed) line.position = "after element " + std::to_string(element.index) + ", at byte " + std::to_string(element.offset);
  } else if (element.index > 0 && (element.sharesLine || element.nextSharesLine || element.indexed)) {
    line.position = "element " + std::to_string(element.index) + " at byte " + std::to_string(element.offset);
  }
}

bool JsonSource::next(InputLine& line) {
  if (!reader_.next(element_)) return false;
  clearLine(line, keys_.keep.size());
  placeElement(element_, line);
  if (!element_.problem.empty()) {
    line.problem = element_.problem;
  } else if (!element_.object) {
    line.problem = "expected an object of column values, found \"" + element_.excerpt + "\"";
  } else {
    ObjectReader reader(element_, line, keys_);
    nlohmann::json::sax_parse(element_.text, &reader);
  }
  return true;
}

}  // namespace

std::unique_ptr<PassSource> openPassSource(ByteSource& bytes, InputFormat format,
                                           const std::vector<std::string>& keep) {
  if (format == InputFormat::detect) {
    const int first = bytes.firstNonBlankAhead();
    format = first == '[' || first == '{' ? InputFormat::json : InputFormat::csv;
  }
  if (format == InputFormat::json) return std::make_unique<JsonSource>(bytes, keep);
  return std::make_unique<CsvSource>(bytes, keep);
}

}  // namespace orowan::batch
