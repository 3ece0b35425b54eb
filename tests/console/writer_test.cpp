// The record writer: field conversions, format lists, records and the
// console channel, compared byte for byte.
#include "console/fixed_format.h"
#include "testing/memory_console.h"
#include "console/writer.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "console/platform.h"
#include "test_support.h"

namespace {

using orowan::console::FormatItem;
using orowan::console::FormatList;

float fromBits(std::uint32_t bits) {
  float x;
  std::memcpy(&x, &bits, sizeof x);
  return x;
}

std::string fixed(float x, int w, int d) {
  std::string out(static_cast<std::size_t>(w), '?');
  orowan::console::formatFixed(x, w, d, out.data());
  return out;
}

std::string integer(std::int32_t v, int w, int m) {
  std::string out(static_cast<std::size_t>(w), '?');
  orowan::console::formatInteger(v, w, m, out.data());
  return out;
}

// ------------------------------------------------------------ Fw.d

struct FixedCase {
  float x;
  int w, d;
  const char* expected;
};

TEST(FixedField, ConvertsAsTheReportShowsIt) {
  const FixedCase cases[] = {
      // The worked examples of the report conversion.
      {0.5f, 8, 2, "     .50"},
      {-0.25f, 8, 2, "    -.25"},
      {0.0f, 8, 2, "     .00"},
      {-0.004f, 8, 2, "     .00"},
      {0.125f, 8, 2, "     .13"},     // exact tie: away from zero (printf gives .12)
      {9.996f, 8, 2, "   10.00"},     // held as 9.99600029: carry into a new digit
      {12345.67f, 8, 2, "12345.67"},  // held as 12345.669921875
      {123456.7f, 8, 2, "********"},
      {-12345.67f, 8, 2, "********"},
      {300.0f, 10, 4, "  300.0000"},
      {0.1f, 10, 4, "     .1000"},
      {1234.5678f, 10, 4, " 1234.5680"},  // 1234.5677490...: 7 digits 1234568
      {2.5f, 8, 0, "      3."},
      {0.3f, 5, 0, "   0."},
      // The summary of the example pass, from the single-precision values.
      {0.25f, 8, 3, "    .250"},
      {7.07f, 8, 2, "    7.07"},      // 7.0700001716...
      {4.05f, 8, 2, "    4.05"},      // 4.0500001907...
      {2.28f, 8, 2, "    2.28"},      // 2.2799999713...
      {1.31f, 8, 2, "    1.31"},      // 1.3099999427...
      {13.70f, 8, 2, "   13.70"},     // 13.699999809...
      {31.434f, 8, 3, "  31.434"},    // 31.434000015...
      {26.25f, 8, 2, "   26.25"},
      {185.49f, 8, 2, "  185.49"},    // 185.49000549...
      {1.279f, 8, 3, "   1.279"},     // 1.2790000438...
      {3.447f, 8, 3, "   3.447"},     // 3.4470000267...
      // Ties at the exact value go away from zero; the value held decides.
      {0.625f, 8, 2, "     .63"},     // exact: half-even would give .62
      {0.375f, 8, 2, "     .38"},
      {-2.5f, 8, 0, "     -3."},
      {-0.0051f, 8, 2, "    -.01"},   // -0.00510000018
      {-0.005f, 8, 2, "     .00"},    // held as -0.00499999989: no sign
      {0.96f, 5, 1, "  1.0"},         // carry out of a value below 1
      // Negative zero and zeros with d = 0.
      {-0.0f, 8, 2, "     .00"},
      {-0.0f, 5, 0, "   0."},
      {0.0f, 1, 0, "*"},              // "0." needs 2
      // Seven significant digits at most.
      {123456.7f, 10, 2, " 123456.70"},     // 123456.703125
      {16777216.0f, 12, 2, " 16777220.00"},  // 1677721|6 rounds up
      {0.1234567891f, 12, 10, " .1234568000"},     // 0.12345679104
      {0.00012345678f, 14, 10, "   .0001234568"},  // below 10^-3: ten places
      {0.00012345678f, 14, 11, "  .00012345680"},  // from 10^-4 on: seven digits
      {FLT_MAX, 45, 2, "   340282300000000000000000000000000000000.00"},
      // Values far below 1 (more than 60 fraction bits).
      {1e-12f, 20, 18, " .000000000001000000"},  // 9.99999996e-13 carries up
      {3e-20f, 30, 28, " .0000000000000000000300000000"},  // 2.9999999048e-20
      {fromBits(1), 60, 50, "         .00000000000000000000000000000000000000000000140130"},
      {fromBits(1), 62, 60, " .000000000000000000000000000000000000000000001401298000000000"},
      // Asterisks.
      {5.0f, 2, 2, "**"},
      {0.5f, 3, 2, ".50"},
      {-0.5f, 3, 2, "***"},
      {9.996f, 4, 2, "****"},         // rounds to 10.00: 5 bytes
      // Infinity and NaN: words, no sign, never asterisks.
      {INFINITY, 8, 2, "1#INF..."},
      {-INFINITY, 8, 2, "1#INF..."},     // no sign
      {-INFINITY, 3, 1, "1#I"},          // cut, never asterisks
      {INFINITY, 1, 5, "1"},             // even when d leaves no room
      {fromBits(0xFFC00000), 8, 2, "1#IND..."},   // sign and the quiet bit only
      {fromBits(0x7FC00000), 8, 2, "1#QNAN.."},   // no sign bit
      {fromBits(0x7F800001), 6, 2, "1#QNAN"},     // signalling
      {fromBits(0x7FC00000), 4, 0, "1#QN"},
  };
  for (const FixedCase& c : cases) {
    EXPECT_EQ(fixed(c.x, c.w, c.d), c.expected) << c.x << " F" << c.w << "." << c.d;
  }
}

// The same rounding worked on the exact decimal value that glibc prints
// (every float has at most 149 fraction digits, so %.160f is exact).
std::string referenceFixed(float x, int w, int d) {
  char exact[256];
  std::snprintf(exact, sizeof exact, "%.160f", std::fabs(static_cast<double>(x)));
  std::string digits = exact;
  const std::size_t point = digits.find('.');
  digits.erase(point, 1);
  int intCount = static_cast<int>(point);
  if (digits[0] == '0') {  // integer part zero: no integer digits
    digits.erase(0, 1);
    intCount = 0;
  }
  const std::size_t first = digits.find_first_not_of('0');
  const int e10 = first == std::string::npos ? -1000 : intCount - 1 - static_cast<int>(first);
  const int keep = intCount + std::min(d, 6 - e10);
  const bool up = digits[static_cast<std::size_t>(keep)] >= '5';
  std::string kept = digits.substr(0, static_cast<std::size_t>(keep));
  int i = keep - 1;
  for (; up && i >= 0 && kept[static_cast<std::size_t>(i)] == '9'; --i) kept[static_cast<std::size_t>(i)] = '0';
  if (up && i >= 0) ++kept[static_cast<std::size_t>(i)];
  if (up && i < 0) kept.insert(kept.begin(), '1'), ++intCount;
  kept.resize(static_cast<std::size_t>(intCount + d), '0');
  const bool zero = kept.find_first_not_of('0') == std::string::npos;
  std::string text = (std::signbit(x) && !zero ? "-" : "") + kept.substr(0, static_cast<std::size_t>(intCount)) +
                     (intCount == 0 && d == 0 ? "0." : ".") + kept.substr(static_cast<std::size_t>(intCount));
  if (static_cast<int>(text.size()) > w) return std::string(static_cast<std::size_t>(w), '*');
  return std::string(static_cast<std::size_t>(w) - text.size(), ' ') + text;
}

TEST(FixedField, AgreesWithTheExactDecimalValueOverManyFloats) {
  std::uint32_t state = 12345;
  const int fields[][2] = {{8, 2}, {8, 3}, {10, 4}, {12, 0}, {30, 12}, {50, 45}, {70, 60}};
  for (int n = 0; n < 20000; ++n) {
    state = state * 1664525u + 1013904223u;  // all exponents, finite only
    const float x = fromBits(state & 0xFF7FFFFFu);
    for (const auto& f : fields) {
      ASSERT_EQ(fixed(x, f[0], f[1]), referenceFixed(x, f[0], f[1]))
          << "bits " << std::hex << (state & 0xFF7FFFFFu) << std::dec << " F" << f[0] << "." << f[1];
    }
  }
}

// ------------------------------------------------------------ Iw

TEST(IntegerField, ConvertsAsTheReportShowsIt) {
  struct Case {
    std::int32_t v;
    int w, m;
    const char* expected;
  };
  const Case cases[] = {
      {0, 6, 1, "     0"},      {3, 6, 1, "     3"},     {-123, 6, 1, "  -123"},
      {1234567, 6, 1, "******"}, {123456, 6, 1, "123456"}, {-12345, 6, 1, "-12345"},
      {-123456, 6, 1, "******"}, {5, 6, 3, "   005"},     {-5, 6, 3, "  -005"},
      {0, 3, 0, "   "},          // no digits for zero when m is 0
      {INT_MIN, 11, 1, "-2147483648"}, {INT_MIN, 10, 1, "**********"},
      {INT_MAX, 10, 1, "2147483647"},  {-1, 1, 1, "*"}, {7, 2, 3, "**"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(integer(c.v, c.w, c.m), c.expected) << c.v << " I" << c.w << "." << c.m;
  }
}

// ------------------------------------------------------------ format lists

TEST(FormatListParse, AcceptsTheVocabularyAndRejectsTheRest) {
  struct Case {
    const char* text;
    bool valid;
    int size, dataFields;
  };
  const Case cases[] = {
      {"(T10,2F8.2,I6,5X,2F8.2,F8.3,F8.2,F8.3,F8.2,4X,F8.2,F8.3,2F8.2,F8.3)", true, 17, 14},
      {"(/,/,/,' *** x ***',/,/,'   ... y')", true, 7, 0},
      {"(t14,'R',f8.3,'  (--)',/)", true, 5, 1},
      {" ( T 1 4 ,\t' R ' , i 6 . 3 )", true, 3, 1},
      {"(X,3X)", true, 2, 0},
      {"()", true, 0, 0},
      {"(//' A'/)", true, 4, 0},    // a slash needs no comma
      {"(F8.2)(I6)", true, 1, 1},   // bytes after the list are not part of it
      {"(')')", true, 1, 0},
      {"(96F8.2)", true, 96, 96},
      {"(97F8.2)", false, 0, 0},    // more items than a list holds
      {"(F8)", false, 0, 0},        // d is required
      {"(F.2)", false, 0, 0},
      {"(I)", false, 0, 0},
      {"(E10.3)", false, 0, 0},
      {"((F8.2))", false, 0, 0},    // inner groups
      {"(2(F8.2))", false, 0, 0},
      {"('abc)", false, 0, 0},      // unterminated
      {"(F8.2,)", false, 0, 0},
      {"(,F8.2)", false, 0, 0},
      {"(F8.2 I6)", false, 0, 0},   // missing comma
      {"F8.2", false, 0, 0},
      {"(F8.2", false, 0, 0},
      {"(T0)", false, 0, 0},
      {"(0X)", false, 0, 0},
      {"(TL3)", false, 0, 0},
      {"(F256.2)", false, 0, 0},    // wider than kMaxFieldWidth
  };
  for (const Case& c : cases) {
    const FormatList list(c.text);
    EXPECT_EQ(list.valid(), c.valid) << c.text;
    if (!c.valid) continue;
    EXPECT_EQ(list.size(), c.size) << c.text;
    EXPECT_EQ(list.dataFields(), c.dataFields) << c.text;
  }
}

// ------------------------------------------------------------ records

// Renders one statement with the channel fresh, its line open or not.
std::string render(const char* text, bool lineOpen, std::initializer_list<double> reals = {}) {
  testio::start();
  const FormatList empty("()");
  if (lineOpen) {  // an empty record with no line open writes nothing
    orowan::console::beginWrite(empty);
    orowan::console::endWrite();
  }
  const FormatList list(text);
  orowan::console::beginWrite(list);
  for (double v : reals) orowan::console::putRealItem(static_cast<float>(v));
  orowan::console::endWrite();
  testio::stop();
  return testio::out();
}

struct RecordCase {
  const char* text;
  bool lineOpen;
  std::initializer_list<double> items;
  std::string expected;
};

void expectRecords(const RecordCase* begin, const RecordCase* end) {
  for (const RecordCase* c = begin; c != end; ++c) {
    EXPECT_EQ(testio::show(render(c->text, c->lineOpen, c->items)), testio::show(c->expected))
        << c->text << (c->lineOpen ? " (line open)" : "");
  }
}

#define BANNER "*** \x83I\x83\x8d\x83\x8f\x83\x93\x97\x9d\x98_\x82\xc9\x82\xe6\x82\xe9\x88\xb3\x89\x84\x89\xf0\x90\xcd ***"
#define RADIUS "... \x83\x8d\x81[\x83\x8b\x94\xbc\x8c" "a R(mm)\x82\xf0\x93\xfc\x97\xcd\x82\xb5\x82\xc4\x89\xba\x82\xb3\x82\xa2."
#define THICKNESS                                                                          \
  "... \x88\xb3\x89\x84\x91O\x94\xc2\x8c\xfah1 & \x88\xb3\x89\x84\x8c\xe3\x94\xc2\x8c\xfah2" \
  "\x82\xf0\x93\xfc\x97\xcd\x82\xb5\x82\xc4\x89\xba\x82\xb3\x82\xa2."

TEST(Records, ProgramStatementsGiveTheirExactBytes) {
  const RecordCase cases[] = {
      // The first statement: the first empty record writes nothing, the next
      // two and the banner each CR LF; one empty record before the prompt.
      {"(/,/,/,' " BANNER "',/,/,'   " RADIUS "')", false, {},
       "\r\n\r\n\r\n" BANNER "\r\n\r\n  " RADIUS},
      // After a read on a shared console, and with separate channels.
      {"(/,/,'   " THICKNESS "')", false, {}, "\r\n\r\n  " THICKNESS},
      {"(/,/,'   " THICKNESS "')", true, {}, "\r\n\r\n\r\n  " THICKNESS},
      // The heading's first "*" is consumed as the advance byte.
      {"(/,/,/,'*** CALCULATED RESULT -- 2 ***',/,/,/)", true, {},
       "\r\n\r\n\r\n\r\n** CALCULATED RESULT -- 2 ***\r\n\r\n\r\n"},
      {"(T14,'R',F8.3,'  (--)',/)", true, {0.25},
       "\r\n" + std::string(12, ' ') + "R    .250  (--)\r\n"},
      {"(T14,'XL',F8.2,'  (MM)',4X,'OM',F8.2,'  (DEGREE)',/)", true, {7.07, 4.05},
       "\r\n" + std::string(12, ' ') + "XL    7.07  (MM)    OM    4.05  (DEGREE)\r\n"},
      {"(T10,'* NO NEUTRAL POINT')", true, {}, "\r\n        * NO NEUTRAL POINT"},
      {"(/,/,/,T5,' *** Stress distribution on exit side.***',/)", true, {},
       "\r\n\r\n\r\n\r\n    *** Stress distribution on exit side.***\r\n"},
  };
  expectRecords(std::begin(cases), std::end(cases));
}

TEST(Records, FirstByteSelectsTheAdvance) {
  const RecordCase cases[] = {
      {"('0A')", true, {}, "\r\n\r\nA"},      {"('0A')", false, {}, "\r\nA"},
      {"('1A')", true, {}, "\r\n\f\r \rA"},   {"('1A')", false, {}, "\r\n\f\r \rA"},
      {"('+A')", true, {}, "\rA"},            {"('+A')", false, {}, "\rA"},
      {"(' A')", true, {}, "\r\nA"},          {"(' A')", false, {}, "A"},
      {"('*A')", true, {}, "\r\nA"},          {"('*A')", false, {}, "A"},
      {"(T2,'A')", true, {}, "\r\nA"},        // column 1 holds an owed blank
      {"(F4.1)", true, {-1.5}, "\r\n1.5"},    // a field's first byte is consumed too
  };
  expectRecords(std::begin(cases), std::end(cases));
}

TEST(Records, PositionsBlanksAndEmptyRecords) {
  const RecordCase cases[] = {
      {"()", true, {}, "\r\n"},
      {"()", false, {}, ""},
      {"(/)", false, {}, "\r\n"},
      {"(5X)", true, {}, "\r\n"},                 // only owed blanks: empty
      {"(' A',5X)", false, {}, "A"},              // trailing owed blanks dropped
      {"(' A',T20)", false, {}, "A"},
      {"(' A',T20,3X,/,' B')", false, {}, "A\r\nB"},
      {"(' A',T6,'B',2X,'C')", false, {}, "A   B  C"},
      {"(' A',9X,T6,'B')", false, {}, "A   B"},  // T replaces the blanks owed
      {"(' ABCDEF',T3,'xy')", false, {}, "AxyDEF"},  // moving left overwrites
      {"(' ABCDEF',T3,1X,'y')", false, {}, "A yDEF"},
      {"(' A',T6,2X,'B')", false, {}, "A     B"},     // X adds to the blanks T owes
      {"(' ABCDEF',2X,T3,'y')", false, {}, "AyCDEF"},  // T to the left drops them
      {"(' ABC',T2,'x',T6,'y')", false, {}, "xBC y"},  // the record still ends at C
      {"(' \x83\x5c\x95\x5c',T6,'Z')", false, {}, "\x83\x5c\x95\x5cZ"},  // columns count bytes
      {"(' it''s',\" \"\"q\"\"\")", false, {}, "it's \"q\""},
      {"(' A',F8.2)", false, {123456.7}, "A********"},
      {"(I3)", true, {}, "\r\n"},                 // no items: the record ends at the field
  };
  expectRecords(std::begin(cases), std::end(cases));
}

TEST(Records, ListResumesWhileItemsRemain) {
  const RecordCase cases[] = {
      {"(' V',F6.2)", false, {1, 2, 3}, "V  1.00\r\nV  2.00\r\nV  3.00"},
      {"(' V',F6.2,/)", false, {1, 2}, "V  1.00\r\n\r\nV  2.00\r\n"},
      // Items run out: go on to the next data field, then end the record.
      {"(' A',F5.1,' B',F5.1,' C')", false, {1}, "A  1.0 B"},
      {"(' A',F5.1,' B',F5.1,' C')", false, {1, 2}, "A  1.0 B  2.0 C"},
  };
  expectRecords(std::begin(cases), std::end(cases));
}

TEST(Records, TableRowPutsEachPointUnderItsLabel) {
  testio::start();
  const FormatList row("(T10,2F8.2,I6,5X,2F8.2,F8.3,F8.2,F8.3,F8.2,4X,F8.2,F8.3,2F8.2,F8.3)");
  const FormatList none("()");
  orowan::console::beginWrite(none);
  orowan::console::endWrite();  // line open: the record's advance is CR LF
  const float before[] = {1.5f, 2.25f};
  const float after[] = {-13.7f, 1e6f, 1.0f, -11.5f, -0.5f, 2.0f, 1.5f, 0.1f, 23.0f, 0.5f, 1.25f};
  orowan::console::beginWrite(row);
  for (float v : before) orowan::console::putRealItem(v);
  orowan::console::putIntegerItem(2);
  for (float v : after) orowan::console::putRealItem(v);
  orowan::console::endWrite();
  testio::stop();
  // CR LF stands in for record column 1, so column c is out()[c].
  const std::string& out = testio::out();
  ASSERT_EQ(out.size(), 2u + 127u);
  for (int column : {15, 23, 42, 57, 66, 73, 82, 94, 101, 110, 118, 125}) {
    EXPECT_EQ(out[static_cast<std::size_t>(column)], '.') << "column " << column;
  }
  EXPECT_EQ(out[31], '2');                         // SL/ST under the slash
  EXPECT_EQ(out.substr(45, 8), "********");        // P = 1e6 overflows F8.2
  EXPECT_EQ(out.substr(37, 8), "  -13.70");
}

// ------------------------------------------------------------ write calls

// Each write call to standard output, in order.
std::vector<std::string> calls() {
  std::vector<std::string> result;
  const std::string_view out = orowan::testing::out();
  std::size_t at = 0;
  for (int n : orowan::testing::callLengths()) {
    result.emplace_back(out.substr(at, static_cast<std::size_t>(n)));
    at += static_cast<std::size_t>(n);
  }
  return result;
}

std::string errors() { return std::string(orowan::testing::err()); }

class WriteCalls : public ::testing::Test {
 protected:
  void SetUp() override { orowan::testing::start({}); }
  void TearDown() override { orowan::testing::stop(); }

  // Writes one statement (real items, then an integer item if asked);
  // returns the exit status of a report, or -1.
  static int write(const char* text, std::initializer_list<double> reals = {},
                   bool integerItem = false) {
    const FormatList list(text);
    return orowan::testing::run([&] {
      orowan::console::beginWrite(list);
      for (double v : reals) orowan::console::putRealItem(static_cast<float>(v));
      if (integerItem) orowan::console::putIntegerItem(1);
      orowan::console::endWrite();
    });
  }
};

TEST_F(WriteCalls, OneCallPerRecordAndNothingBeforeEndWrite) {
  const FormatList list("(' A',F5.1,/,' B',/,'0C')");
  orowan::console::beginWrite(list);
  orowan::console::putRealItem(1.0f);
  EXPECT_TRUE(calls().empty());
  orowan::console::endWrite();
  EXPECT_EQ(calls(), (std::vector<std::string>{"A  1.0", "\r\nB", "\r\n\r\nC"}));
}

TEST_F(WriteCalls, LongRecordsGoOutInPiecesOf132Bytes) {
  struct Case {
    int length;                 // bytes of the record, the advance byte included
    std::vector<int> pieces;    // bytes of each write call
  };
  const Case cases[] = {
      {132, {4 + 131}}, {133, {4 + 131, 1}}, {141, {4 + 131, 9}},
      {264, {4 + 131, 132}}, {265, {4 + 131, 132, 1}},
  };
  for (const Case& c : cases) {
    SetUp();
    write("()");  // opens the line: the '0' record advances CR LF CR LF
    std::string record = "0";
    for (int i = 1; i < c.length; ++i) record += static_cast<char>('A' + i % 26);
    const std::string text = "('" + record + "')";
    const std::size_t before = calls().size();
    write(text.c_str());
    const std::vector<std::string> all = calls();
    const std::vector<std::string> pieces(all.begin() + static_cast<long>(before), all.end());
    ASSERT_EQ(pieces.size(), c.pieces.size()) << c.length;
    std::string joined;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
      EXPECT_EQ(static_cast<int>(pieces[i].size()), c.pieces[i]) << c.length << " piece " << i;
      joined += pieces[i];
    }
    EXPECT_EQ(joined, "\r\n\r\n" + record.substr(1)) << c.length;
  }
}

TEST_F(WriteCalls, OwedBlanksCrossAPieceBoundary) {
  write("(' A',140X,'E')");  // 1 + 1 + 140 + 1 = 143 bytes, no line open
  ASSERT_EQ(calls().size(), 2u);
  EXPECT_EQ(calls()[0], "A" + std::string(130, ' '));
  EXPECT_EQ(calls()[1], std::string(10, ' ') + "E");
}

TEST_F(WriteCalls, FaultsAreReportedAsWriteErrors) {
  struct Case {
    const char* text;
    std::initializer_list<double> reals;
    bool integerItem;
    const char* report;
  };
  const Case cases[] = {
      {"(F8)", {}, false, "run-time error F6600: WRITE(CON)"},
      {"(' A',E10.3)", {1}, false, "run-time error F6600: WRITE(CON)"},
      {"(I6)", {1}, false, "run-time error F6601: WRITE(CON)"},
      {"(F8.2)", {}, true, "run-time error F6601: WRITE(CON)"},
      {"(' no field')", {1}, false, "run-time error F6601: WRITE(CON)"},  // must not loop
  };
  for (const Case& c : cases) {
    SetUp();
    EXPECT_EQ(write(c.text, c.reals, c.integerItem), 1) << c.text;
    EXPECT_NE(errors().find(c.report), std::string::npos) << c.text << ": " << testio::show(errors());
    EXPECT_TRUE(calls().empty()) << c.text;
  }
}

TEST_F(WriteCalls, FullDeviceEndsTheProgram) {
  orowan::testing::start({.input = {}, .outputBudget = 0, .outputError = ENOSPC});
  EXPECT_EQ(write("(' A')"), 1);
  EXPECT_NE(errors().find("run-time error F6422: WRITE(CON)"), std::string::npos)
      << testio::show(errors());
}

// ------------------------------------------------------------ line state

TEST(LineState, ReadsAndProgramEnd) {
  struct Case {
    bool shared;
    bool openAfterRead;
    std::string closing;  // what closeOpenLine writes after the read
  };
  const Case cases[] = {{true, false, ""}, {false, true, "\r\n"}};
  const FormatList prompt("(' A')");
  for (const Case& c : cases) {
    testio::start({}, c.shared);
    EXPECT_FALSE(orowan::console::lineIsOpen());
    orowan::console::closeOpenLine();
    EXPECT_EQ(testio::out(), "");
    orowan::console::beginWrite(prompt);
    orowan::console::endWrite();
    EXPECT_TRUE(orowan::console::lineIsOpen());
    orowan::console::endOfConsoleRead();
    EXPECT_EQ(orowan::console::lineIsOpen(), c.openAfterRead);
    orowan::console::closeOpenLine();
    EXPECT_EQ(orowan::console::lineIsOpen(), c.openAfterRead);  // unchanged by closing
    EXPECT_EQ(testio::out(), "A" + c.closing);
    testio::stop();
  }
}

}  // namespace
