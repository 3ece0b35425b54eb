// RFC 4180 records: quoting, line ends, line numbers, the byte order
// mark, blank lines and the problems of a record.
#include <gtest/gtest.h>

#include "batch/csv_reader.h"

namespace {

struct Expected {
  long line;
  std::vector<std::string> fields;
  std::string problem = "";
};

struct Case {
  const char* name;
  std::string input;
  std::vector<Expected> records;  // blank records left out
};

const Case kCases[] = {
    {"plain LF", "a,b\n1,2\n", {{1, {"a", "b"}}, {2, {"1", "2"}}}},
    {"CR LF", "a,b\r\n1,2\r\n", {{1, {"a", "b"}}, {2, {"1", "2"}}}},
    {"lone CR", "a,b\r1,2", {{1, {"a", "b"}}, {2, {"1", "2"}}}},
    {"no final line end", "a\n1", {{1, {"a"}}, {2, {"1"}}}},
    {"empty fields", ",x,\n", {{1, {"", "x", ""}}}},
    {"quoted comma and doubled quote", "\"a,b\",\"say \"\"hi\"\"\"\n", {{1, {"a,b", "say \"hi\""}}}},
    {"quoted empty", "\"\",1\n", {{1, {"", "1"}}}},
    {"quoted field spans lines", "\"x\ny\",1\n2,3\n", {{1, {"x\ny", "1"}}, {3, {"2", "3"}}}},
    {"quoted CR LF kept as data", "\"x\r\ny\"\r\n2\r\n", {{1, {"x\r\ny"}}, {3, {"2"}}}},
    {"byte order mark", "\xEF\xBB\xBF" "R,U\n", {{1, {"R", "U"}}}},
    {"blank lines skipped, counted", "a\n\n  \n\r\nb\n", {{1, {"a"}}, {5, {"b"}}}},
    {"unclosed quote", "a\n\"1,2\n3", {{1, {"a"}}, {2, {"1,2\n3"}, "a quoted field is not closed before the end of the input"}}},
    {"text after closing quote", "\"1\"x,2\n3\n",
     {{1, {"1"}, "a closing quote must end its field"}, {2, {"3"}}}},
    {"quote inside a field", "1\"2,3\n", {{1, {"1\"2", "3"}, "a quote inside a field that does not start with one"}}},
};

TEST(CsvReaderTest, RecordsFieldsLinesAndProblems) {
  for (const Case& c : kCases) {
    orowan::batch::ByteSource bytes(c.input);
    orowan::batch::CsvReader reader(bytes);
    orowan::batch::CsvRecord record;
    std::vector<Expected> got;
    while (reader.next(record)) {
      if (record.blank()) continue;
      Expected e{record.line, {}, record.problem};
      for (long i = 0; i < record.kept(); ++i) e.fields.push_back(record.fields[i].text);
      got.push_back(e);
    }
    ASSERT_EQ(got.size(), c.records.size()) << c.name;
    for (std::size_t i = 0; i < got.size(); ++i) {
      EXPECT_EQ(got[i].line, c.records[i].line) << c.name << " record " << i;
      EXPECT_EQ(got[i].fields, c.records[i].fields) << c.name << " record " << i;
      EXPECT_EQ(got[i].problem, c.records[i].problem) << c.name << " record " << i;
    }
  }
}

// Hostile sizes stay bounded: a long field is cut and flagged, fields
// beyond the limit are counted, not kept.
TEST(CsvReaderTest, BoundsFieldSizeAndCount) {
  const std::string input = std::string(5000, '7') + "," + std::string(1000, ',') + "\n1\n";
  orowan::batch::ByteSource bytes(input);
  orowan::batch::CsvReader reader(bytes);
  orowan::batch::CsvRecord record;
  ASSERT_TRUE(reader.next(record));
  EXPECT_TRUE(record.fields[0].tooLong);
  EXPECT_EQ(record.fields[0].text.size(), orowan::batch::CsvReader::kMaxFieldBytes);
  EXPECT_EQ(record.fieldCount, 1002);
  EXPECT_EQ(record.kept(), orowan::batch::CsvReader::kMaxFields);
  ASSERT_TRUE(reader.next(record));
  EXPECT_EQ(record.line, 2);
  EXPECT_EQ(record.fieldCount, 1);
  EXPECT_FALSE(record.fields[0].tooLong);
}

}  // namespace
