// Value reader: separators, null values, slash, repeats, REAL and INTEGER
// forms and ranges, records and the end of input.
#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "console/failures.h"
#include "program/faults.h"
#include "testing/memory_console.h"
#include "console/reader.h"
#include "test_support.h"

namespace {

// Every variable starts at this value, so a kept value is visible.
constexpr double kKept = -7.0;

// The number of an F report on the console, 0 when there is none.
int reportedNumber() {
  const std::string& e = testio::err();
  const std::size_t at = e.find("run-time error F");
  if (at == std::string::npos) return 0;
  const std::string number = e.substr(at + 16, 4);
  if (e.compare(at + 20, 11, ": READ(CON)") != 0) return -1;
  return std::stoi(number);
}

struct Outcome {
  std::vector<double> values;  // every item's variable after the run
  int error = 0;               // the F number, 0 when the run ended normally
  int reads = 0;               // read calls made
};

// Runs read statements over `input`: `kinds` holds 'r' (REAL) and 'i'
// (INTEGER) items, '|' separating statements. Variables keep what they
// hold when the process ends.
Outcome runStatements(std::string_view input, std::string_view kinds, bool terminal = false,
                      std::size_t chunk = 132) {
  testio::start(input, terminal, chunk);
  std::vector<float> reals(kinds.size(), static_cast<float>(kKept));
  std::vector<std::int32_t> ints(kinds.size(), static_cast<std::int32_t>(kKept));
  Outcome result;
  try {
    orowan::console::beginRead();
    for (std::size_t k = 0; k < kinds.size(); ++k) {
      if (kinds[k] == '|') {
        orowan::console::endRead();
        orowan::console::beginRead();
      } else if (kinds[k] == 'r') {
        orowan::console::getRealItem(reals[k]);
      } else {
        orowan::console::getIntegerItem(ints[k]);
      }
    }
    orowan::console::endRead();
  } catch (const testio::ProcessExit& exit) {
    result.error = exit.status == 1 ? reportedNumber() : -exit.status;
  }
  for (std::size_t k = 0; k < kinds.size(); ++k) {
    if (kinds[k] == 'r') result.values.push_back(reals[k]);
    if (kinds[k] == 'i') result.values.push_back(ints[k]);
  }
  result.reads = testio::reads();
  testio::stop();
  return result;
}

struct Case {
  std::string input;
  std::string kinds;
  std::vector<double> values;  // REAL expectations are rounded to float first
  int error = 0;
};

// Runs `c` and compares every variable exactly (the sign of zero too).
void expectCase(const Case& c, bool terminal = false, std::size_t chunk = 132) {
  SCOPED_TRACE("input " + testio::show(c.input) + " items " + c.kinds + " chunk " +
               std::to_string(chunk));
  const Outcome got = runStatements(c.input, c.kinds, terminal, chunk);
  EXPECT_EQ(got.error, c.error);
  ASSERT_EQ(got.values.size(), c.values.size());
  std::size_t v = 0;
  for (char kind : c.kinds) {
    if (kind == '|') continue;
    const double want = kind == 'r' ? static_cast<float>(c.values[v]) : c.values[v];
    EXPECT_EQ(got.values[v], want) << "item " << v;
    EXPECT_EQ(std::signbit(got.values[v]), std::signbit(want)) << "item " << v;
    ++v;
  }
}

constexpr double K = kKept;

TEST(Reader, SeparatorsNullValuesSlashAndRepeats) {
  const Case cases[] = {
      {"20 10\n", "rr", {20, 10}},
      {"20,10\n", "rr", {20, 10}},
      {"20  ,  10\n", "rr", {20, 10}},
      {"20\n10\n", "rr", {20, 10}},
      {"20\t10\n", "rr", {20, 10}},
      {"\n\n  \n20 10\n", "rr", {20, 10}},         // empty lines are skipped
      {"20 10 5\n7\n", "rr|r", {20, 10, 7}},        // the 5 goes with its line
      {"20\r30\n40\n", "r|r", {20, 40}},            // CR is a blank, not a line end
      {"2*15\n", "rr", {15, 15}},
      {"2*\n", "rr", {K, K}},
      {"2*,5\n", "rrr", {K, K, 5}},
      {",10\n", "rr", {K, 10}},
      {"  ,10\n", "rr", {K, 10}},                   // a statement starts after a comma
      {"/\n", "rr", {K, K}},
      {"5/\n", "rr", {5, K}},
      {"5 / 6\n7\n", "rr|r", {5, K, 7}},
      {"20 , , 10\n", "rrr", {20, K, 10}},          // two commas enclose a null value
      {"20,,10\n", "rrr", {20, K, 10}},
      {"20,\n,10\n", "rrr", {20, K, 10}},
      {"20\n,10\n", "rr", {20, 10}},                // line end and comma: one separator
      {"20,\n", "r|r", {20, K}, 6501},              // the rest of the line was empty
      {"2*5/\n", "rr", {5, 5}},                     // the repeat is served before the slash
      {"3*5/\n", "rrrr", {5, 5, 5, K}},
      {"2*5 7\n", "rrr", {5, 5, 7}},
      {"1*7 8\n", "rr", {7, 8}},
      {"3*4\n9\n", "r|r", {4, 9}},                  // a repeat ends with its statement
      {"2*/\n", "rrr", {K, K, K}},
      {"1.5D2 1.5e+2 150 1.5+2\n", "rrrr", {150, 150, 150, 150}},
      {".5 5.\n", "rr", {0.5, 5}},
      {"1 2 3\n", "i|i", {1, K}, 6501},
      {"+1\n", "i", {1}},
      {"/\n", "i", {K}},
      {",\n", "i", {K}},
      {"2*3\n", "ir", {3, 3}},                      // the repeated text suits each item
  };
  for (const Case& c : cases) expectCase(c);
}

TEST(Reader, IntegerForms) {
  const Case cases[] = {
      {"-16#FF", "i", {-255}},
      {"#ff", "i", {255}},
      {"-#Ff", "i", {-255}},
      {"2#1011", "i", {11}},
      {"36#zZ", "i", {35 * 36 + 35}},
      {"0016#10", "i", {16}},
      {"2147483647", "i", {2147483647}},
      {"-2147483648", "i", {-2147483648.0}},
      {"-16#80000000", "i", {-2147483648.0}},
      {"2147483648", "i", {K}, 6100},
      {"16#80000000", "i", {K}, 6100},
      {"16#FFFFFFFF", "i", {K}, 6100},              // no two's complement wrap
      {"99999999999999999999", "i", {K}, 6100},
      {"18446744073709551621", "i", {K}, 6100},     // 2^64 + 5: must not wrap to 5
      {"36#ZZZZZZZ", "i", {K}, 6100},               // 36^7 - 1 > 2^31
      {"1.0", "i", {K}, 6101},
      {"y", "i", {K}, 6101},
      {"1e3", "i", {K}, 6101},
      {"+", "i", {K}, 6101},
      {"#", "i", {K}, 6101},
      {"16#", "i", {K}, 6101},
      {"2#102", "i", {K}, 6101},
      {"16#G", "i", {K}, 6101},
      {"16#-5", "i", {K}, 6101},
      {"2#2#1", "i", {K}, 6101},                    // the bad digit stands first
      {"16#1#2", "i", {K}, 6302},
      {"16##", "i", {K}, 6302},
      {"1#0", "i", {K}, 6303},
      {"0#1", "i", {K}, 6303},
      {"37#1", "i", {K}, 6303},
      {"99999999999999999999#1", "i", {K}, 6303},
      {"99#1#", "i", {K}, 6303},                    // the base stands before the second #
  };
  for (Case c : cases) {
    c.input += "\n";
    expectCase(c);
  }
}

TEST(Reader, RealFormsAndRanges) {
  const Case cases[] = {
      {"7", "r", {7}},
      {"1.5-3", "r", {0.0015}},
      {"1d-2", "r", {0.01}},
      {"+.5E1", "r", {5}},
      {"-0", "r", {-0.0}},
      {"0E999999", "r", {0}},                       // zero is never out of range
      {"-0.000e-99999", "r", {-0.0}},
      {"3.4028234E38", "r", {3.4028234e38}},
      {"-3.4028234E38", "r", {-3.4028234e38}},
      {"1E-45", "r", {1e-45}},                      // nearest float: the smallest denormal
      {"1E-46", "r", {0}},                          // below half of it
      {"2.2250738585072014E-308", "r", {0}},        // smallest normal double, 0 as a float
      {"16777217", "r", {16777216}},                // tie, rounded to even
      // The double is exactly 1 + 2^-24 (the text is 1e-32 above it); that is
      // a tie between floats, rounded to even: 1, not 1 + 2^-23.
      {"1.00000005960464477539062500000001", "r", {1}},
      {"x", "r", {K}, 6102},
      {"+", "r", {K}, 6102},
      {".", "r", {K}, 6102},
      {"-.e5", "r", {K}, 6102},
      {"#5", "r", {K}, 6102},
      {"1E400", "r", {K}, 6102},
      {"1E-400", "r", {K}, 6102},
      {"1E-310", "r", {K}, 6102},                   // subnormal as a double
      {"1E99999999999999999999", "r", {K}, 6102},
      {"1e", "r", {K}, 6103},
      {"1E+", "r", {K}, 6103},
      {"1.5+", "r", {K}, 6103},
      {"1.5x", "r", {K}, 6103},
      {"1..2", "r", {K}, 6103},
      {"1e5.0", "r", {K}, 6103},
      {"1.5-3-4", "r", {K}, 6103},
      {"3.4028235E38", "r", {K}, 6104},
      {"-3.4028235E38", "r", {K}, 6104},
      {"1E308", "r", {K}, 6104},
  };
  for (Case c : cases) {
    c.input += "\n";
    expectCase(c);
  }
}

TEST(Reader, RepeatCountAndQuotedValueErrors) {
  const Case cases[] = {
      {"0*5\n", "rr", {K, K}, 6502},
      {"-2*5\n", "rr", {K, K}, 6502},
      {"0*1*2\n", "rr", {K, K}, 6502},             // the count is converted at its *
      {"2*3*4\n", "rr", {K, K}, 6503},
      {"*5\n", "rr", {K, K}, 6101},
      {"1.5*2\n", "rr", {K, K}, 6101},
      {"16#1#2*5\n", "rr", {K, K}, 6302},
      {"'5'\n", "r", {K}, 6504},
      {"\"5\"\n", "i", {K}, 6504},
      {"(1,2)\n", "r", {K}, 6504},
      {"1 2*'a'\n", "ir", {1, K}, 6504},
      {"2*(\n", "i", {K}, 6504},
      {"5'\n", "r", {K}, 6103},                     // a quote inside a text is just a byte
      {"'" + std::string(300, 'x') + "\n", "r", {K}, 6504},  // found before the limit
  };
  for (const Case& c : cases) expectCase(c);
}

TEST(Reader, ValueTextLimit) {
  const std::string zeros255(255, '0');
  const Case cases[] = {
      {zeros255 + "7\n", "r", {7}},                 // 256 bytes
      {zeros255 + "7\n", "i", {7}},
      {zeros255 + "07\n", "r", {K}, 6408},          // 257 bytes
      {zeros255 + "07\n", "i", {K}, 6408},
      {zeros255 + "02*5\n", "r", {K}, 6408},        // a count is a value text too
      {"2*" + zeros255 + "7\n", "rr", {7, 7}},
      {"2*" + zeros255 + "07\n", "rr", {K, K}, 6408},
  };
  for (const Case& c : cases) expectCase(c);
  for (const Case& c : cases) expectCase(c, false, 3);  // across short reads
}

TEST(Reader, ValuesSplitAcrossShortReads) {
  const Case cases[] = {
      {"12.5 -3E2,7\n", "rrr", {12.5, -300, 7}},
      {"  -16#ff ,\r\n 2*3\n", "iii", {-255, 3, 3}},
      {"20\r\n10\r\n", "r|r", {20, 10}},
      {"1 2 3\n4\n", "r|r", {1, 4}},
      {"20 10", "rr", {20, 10}},                    // last line without its LF
      {"20", "r|r", {20, K}, 6501},                 // its synthetic LF, then the end
  };
  for (std::size_t chunk : {1, 2, 3, 132}) {
    for (const Case& c : cases) expectCase(c, false, chunk);
  }
}

TEST(Reader, RecordsLinesAndEndOfInput) {
  struct RecordCase {
    Case c;
    bool terminal;
    std::size_t chunk;
  };
  const std::string blanks130(130, ' ');
  const RecordCase cases[] = {
      {{"5" + blanks130 + "\n", "r", {5}}, true, 132},        // 131 bytes and LF
      {{"5" + blanks130 + " \n", "r", {K}, 6407}, true, 132},  // 132 bytes, no LF
      {{blanks130 + "  5\n", "r", {5}}, false, 132},          // a file simply goes on
      {{blanks130 + "12345\n", "r", {12345}}, false, 132},    // split by the record end
      {{"", "r", {K}, 6501}, false, 132},
      {{"", "r", {K}, 6501}, true, 132},
      {{"\n\n", "rr", {K, K}, 6501}, false, 132},
      {{"20\n", "rr", {20, K}, 6501}, true, 132},
      // Ctrl-Z just before a line end makes the line the end of input;
      // nothing on that line is read.
      {{"\x1a\r\n", "r", {K}, 6501}, true, 132},
      {{"\x1a\n", "r", {K}, 6501}, false, 132},
      {{"5\x1a\n", "r", {K}, 6501}, false, 132},              // 5 is not read
      {{"5 \x1a\n", "r", {K}, 6501}, false, 132},             // nor is this 5
      {{"7\n5\x1a\r\n", "rr", {7, K}, 6501}, false, 132},     // earlier lines are read
      {{"7 8\n\x1a\r\n", "r|r", {7, K}, 6501}, false, 132},
      // Wherever the line stands in a read, and however reads split it.
      {{"7\n5 6\x1a\n8\n", "r|rr", {7, K, K}, 6501}, false, 132},
      {{"5\x1a\n", "r", {K}, 6501}, false, 2},                // the record ends with 26
      {{"5\x1a\r\n", "r", {K}, 6501}, false, 1},
      {{"5 6\x1a\r\n", "r|r", {K, K}, 6501}, false, 3},
      // Neither a bad value before the Ctrl-Z is read nor a repeat.
      {{"x \x1a\n", "r", {K}, 6501}, false, 132},
      {{"5 x\x1a\n", "rr", {K, K}, 6501}, false, 3},
      {{"'5' \x1a\n", "r", {K}, 6501}, true, 132},
      {{"2*5 \x1a\n", "rrr", {K, K, K}, 6501}, false, 132},
      {{std::string(300, '1') + "\x1a\n", "r", {K}, 6501}, false, 132},
      // Without one, a bad value is reported once its line has ended, and
      // the values before it on that line are stored.
      {{"5 x 6\n", "rr", {5, K}, 6102}, false, 2},
      {{std::string(300, '1') + "\n", "r", {K}, 6408}, false, 132},
      // Anywhere else byte 26 is an ordinary byte; so is it before the
      // line end that the end of input supplies.
      {{"\x1a" "5\n", "r", {K}, 6102}, true, 132},
      {{"5\x1a 6\n", "rr", {K, K}, 6103}, false, 132},
      {{"5\x1a\r\r\n", "r", {K}, 6103}, false, 132},
      {{"5\x1a", "r", {K}, 6103}, false, 132},
  };
  for (const RecordCase& rc : cases) expectCase(rc.c, rc.terminal, rc.chunk);
}

TEST(Reader, NeverReadsAhead) {
  struct ReadsCase {
    std::string input;
    std::string kinds;
    bool terminal;
    std::size_t chunk;
    int reads;
  };
  const ReadsCase cases[] = {
      {"20 10\n5\n", "rr", true, 132, 1},          // the last value ended its line
      {"20\n10\n", "", true, 132, 0},              // no item, no read
      {"20 30\n40\n", "r", true, 132, 1},          // the rest of the line is in hand
      {"20 10 5\n6\n", "rr|r", true, 132, 2},
      {"2*5\n6\n", "rr", true, 132, 1},            // the repeat needs no read
      {"20\r\n", "r", false, 3, 2},                // "20\r" then "\n" to end the line
      {"20\n", "r", false, 3, 1},                  // "20\n" ends with the value
      {"20", "r", false, 132, 2},                  // the empty read gives the LF
  };
  for (const ReadsCase& rc : cases) {
    SCOPED_TRACE(testio::show(rc.input) + " " + rc.kinds);
    const Outcome got = runStatements(rc.input, rc.kinds, rc.terminal, rc.chunk);
    EXPECT_EQ(got.error, 0);
    EXPECT_EQ(got.reads, rc.reads);
  }
}

// A read that returns no bytes is the end of input for good: after the
// line end it supplies for an unended last line, the next value needed is
// 6501 without another read (on a terminal that read would wait for one
// more Ctrl-D).
TEST(Reader, AnEmptyReadIsFinal) {
  for (const bool terminal : {true, false}) {
    SCOPED_TRACE(terminal ? "terminal" : "file");
    const Outcome got = runStatements("20", "r|r", terminal);
    EXPECT_EQ(got.error, 6501);
    EXPECT_EQ(got.values, (std::vector<double>{20, K}));
    EXPECT_EQ(got.reads, 2);  // "20", then the empty read
  }
}

// The program runs with overflow, invalid and divide-by-zero trapped; the
// conversions at and beyond the ranges must not fire a trap.
TEST(Reader, RangeEdgesUnderTheProgramsTraps) {
  const Case cases[] = {
      {"1E400 1", "rr", {K, K}, 6102},
      {"1E99999999999999999999", "r", {K}, 6102},
      {"1E-400", "r", {K}, 6102},
      {"1E-310", "r", {K}, 6102},
      {"3.4028235E38", "r", {K}, 6104},
      {"1E39", "r", {K}, 6104},
      {"3.4028234E38 1E-45 1E-46 2147483647 -16#80000000", "rrrii",
       {3.4028234e38, 1e-45, 0, 2147483647, -2147483648.0}},
      {"36#ZZZZZZZZZZZZZZ", "i", {K}, 6100},
  };
  orowan::program::setUpFaults();
  for (Case c : cases) {
    c.input += "\n";
    expectCase(c);
  }
  std::fesetenv(FE_DFL_ENV);
  std::signal(SIGFPE, SIG_DFL);
}

// A failing read is reported as 6500.
TEST(Reader, ReadFailureIs6500) {
  orowan::testing::start({.input = "5\n", .failReads = true});
  float value = 1.0f;
  const int status = orowan::testing::run([&] {
    orowan::console::beginRead();
    orowan::console::getRealItem(value);
  });
  const std::string errors = testio::err();
  testio::stop();
  EXPECT_EQ(status, 1);
  EXPECT_NE(errors.find("run-time error F6500: READ(CON)"), std::string::npos) << errors;
  EXPECT_EQ(value, 1.0f);
}

}  // namespace
