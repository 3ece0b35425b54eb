// RFC 4180 records: fields separated by commas, a field in double quotes
// may hold commas, line ends and doubled quotes; CR LF, LF or a lone CR
// ends a record; a byte order mark at the start is skipped. Written here
// because it is small and the tool needs its exact line numbers, its
// bounds on hostile input and its record-wise error recovery.
#pragma once

#include <string>
#include <vector>

#include "batch/byte_source.h"

namespace orowan::batch {

struct CsvField {
  std::string text;      // at most kMaxFieldBytes bytes are kept
  bool tooLong = false;  // the field had more
};

struct CsvRecord {
  long line = 0;                // the line the record starts on (1-based)
  std::vector<CsvField> fields; // at most kMaxFields are kept
  long fieldCount = 0;          // fields the record had
  std::string problem;          // the first syntax problem, or ""

  // fields[0, kept()) are this record's; later entries are spare buffers.
  long kept() const;

  // An empty line, or one of blanks only: not a record at all.
  bool blank() const;
};

class CsvReader {
 public:
  static constexpr std::size_t kMaxFieldBytes = 1024;
  static constexpr long kMaxFields = 256;

  explicit CsvReader(ByteSource& source);

  // The next record; false at the end of the input.
  bool next(CsvRecord& record);

 private:
  ByteSource& in_;
  long line_ = 1;

  void addField(CsvRecord& record, std::size_t& used);
  bool endOfLine(int c);
  void readQuoted(CsvRecord& record, CsvField& field);
  void skipToLineEnd();
};

}  // namespace orowan::batch
