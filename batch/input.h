// Input lines from a CSV or JSON source as value texts per input column,
// whatever the format: the one shape the pass requests are built from.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "batch/byte_source.h"
#include "batch/columns.h"

namespace orowan::batch {

struct FieldText {
  bool present = false;  // the line has the column (CSV: the header names it; JSON: the key)
  std::string text;      // the value text, blanks around it removed
  bool tooLong = false;  // longer than the reader keeps
};

// A property along the arc as value texts: JSON's
// "U": {"X": [0, 2, 5, 8], "U": [0.12, 0.1, 0.08, 0.08]}.
struct TableText {
  bool present = false;
  bool hasPositions = false, hasValues = false;  // the keys X and U were there
  std::vector<std::string> positions, values;
};

struct InputLine {
  long line = 0;        // the line column: the line, or a JSON element's index where elements share a line
  long sourceLine = 0;  // the line messages name
  std::string position;  // "element 3 at byte 57" for an element of a shared line, else ""
  std::array<FieldText, kInputCount> fields;
  TableText frictionTable;  // instead of a friction coefficient (JSON only)
  std::string problem;      // why the line cannot be read as a whole, or ""
  std::vector<KeptText> kept;  // the --keep columns' values, in --keep's order
  std::string warning;         // a note for the run that this line brought up first, or ""
};

// A problem of the input as a whole (with the line it is on).
struct SourceProblem {
  long line = 0;
  std::string text;
};

class PassSource {
 public:
  virtual ~PassSource() = default;
  // The next line of passes; false at the end.
  virtual bool next(InputLine& line) = 0;
  // Which input columns the source names (CSV: its header; JSON: all,
  // since each object names its own).
  virtual bool names(int column) const = 0;
  // Problems of the header that leave the lines readable (an unknown or
  // repeated column: that column is ignored).
  const std::vector<SourceProblem>& headerProblems() const { return headerProblems_; }
  // Notes of the header that fail nothing (unknown columns, ignored or
  // passed through; a --keep column the header lacks).
  const std::vector<SourceProblem>& headerWarnings() const { return headerWarnings_; }

 protected:
  std::vector<SourceProblem> headerProblems_;
  std::vector<SourceProblem> headerWarnings_;
};

enum class InputFormat { detect, csv, json };

// A source over `bytes`; detection takes JSON when the first byte that is
// not blank is "[" (or "{", to say that an array is expected). A problem that leaves nothing readable (no header,
// a header that is not text) throws SourceError.
// `keep`: the columns (CSV) or keys (JSON) passed through into each
// line's `kept`; other unknown ones are ignored, with one warning.
std::unique_ptr<PassSource> openPassSource(ByteSource& bytes, InputFormat format,
                                           const std::vector<std::string>& keep = {});

struct SourceError {
  SourceProblem problem;
};

}  // namespace orowan::batch
