// From input bytes to the analysis's input: the same value text gives the
// same single-precision value from CSV and from JSON (a JSON number by its
// source text, not its double), and each kind of unreadable line gets the
// message a user sees.
#include <gtest/gtest.h>

#include <bit>

#include "batch/input.h"
#include "batch/request.h"

namespace {

using orowan::batch::InputLine;

// The jobs of every line of `bytes` (no sweep, report units).
std::vector<orowan::batch::PassJob> jobsOf(const std::string& bytes) {
  orowan::batch::ByteSource source(bytes);
  auto passes = orowan::batch::openPassSource(source, orowan::batch::InputFormat::detect);
  orowan::batch::Sweep sweep;
  orowan::batch::Schedule schedule(1);
  std::vector<orowan::batch::PassJob> jobs;
  InputLine line;
  while (passes->next(line)) {
    orowan::batch::prepareJob(line, sweep, 0, orowan::batch::Units::report, schedule, jobs.emplace_back());
    schedule.lineDone();
  }
  return jobs;
}

struct ValueText {
  const char* text;
  std::uint32_t bits;   // of the float read, when readable
  const char* problem;  // "" when readable
};

// Bits worked out by hand: 0.1 and 1.15 round to the nearest single;
// 3.4028234E38 is within half an ulp of the largest single 0x7F7FFFFF;
// 1e-46 is below half the smallest denormal (1.4e-45) and reads as +0.
const ValueText kValueTexts[] = {
    {"0.1", 0x3DCCCCCDu, ""},
    {"1.15", 0x3F933333u, ""},
    {"100", 0x42C80000u, ""},
    {"-0", 0x80000000u, ""},
    {"1e-46", 0x00000000u, ""},
    {"1E-45", 0x00000001u, ""},
    {"3.4028234E38", 0x7F7FFFFFu, ""},
    {"0.30000000000000004", 0x3E99999Au, ""},
    {"3.4028235E38", 0, "column SGB: expected a number within the single-precision range, found \"3.4028235E38\" (F6104)"},
    {"1E400", 0, "column SGB: expected a number, found \"1E400\" (F6102)"},
};

TEST(InputTest, SameValueTextSameFloatFromCsvAndJson) {
  for (const ValueText& c : kValueTexts) {
    // in SGB, which takes -0 and 0 (R must be above 0)
    const std::string csv = std::string("SGB,R,H1,H2,Y,U\n") + c.text + ",100,2,1.5,20,0.1\n";
    const std::string json = std::string("[{\"SGB\": ") + c.text + ", \"R\": 100, \"H1\": 2, \"H2\": 1.5, \"Y\": 20, \"U\": 0.1}]";
    for (const std::string& input : {csv, json}) {
      const auto jobs = jobsOf(input);
      ASSERT_EQ(jobs.size(), 1u) << input;
      EXPECT_EQ(jobs[0].problem, c.problem) << input;
      if (*c.problem != '\0') continue;
      EXPECT_EQ(std::bit_cast<std::uint32_t>(jobs[0].typed[orowan::batch::kSGB]), c.bits) << input;
      EXPECT_EQ(std::bit_cast<std::uint32_t>(jobs[0].request.input.SGB), c.bits) << input;
    }
  }
}

struct LineCase {
  const char* name;
  std::string input;
  std::vector<std::pair<long, std::string>> lines;  // line number and problem ("" readable)
};

const LineCase kLines[] = {
    {"CSV text for a number", "R,H1,H2,Y,U\n100,2,1.5,20,0.1x\n",
     {{2, "column U: expected a number, found \"0.1x\" (F6103)"}}},
    {"CSV short and long lines", "R,H1,H2,Y,U\n100,2,1.5,20\n100,2,1.5,20,0.1,7\n",
     {{2, "column U: missing (the line has 4 fields, the header 5)"},
      {3, "an extra field (the line has 6 fields, the header 5)"}}},
    {"CSV empty required value", "R,H1,H2,Y,U\n100,2,1.5, ,0.1\n", {{2, "column Y: empty; expected a number"}}},
    {"CSV value too long", "R,H1,H2,Y,U\n100,2,1.5,20," + std::string(300, '1') + "\n",
     {{2, "column U: expected a number of at most 256 characters, found \"" + std::string(300, '1') + "\" (F6408)"}}},
    {"CSV NUL byte", std::string("R,H1,H2,Y,U\n100,2,1.5,2\0,0.1\n", 28), {{2, "column Y: not text (a NUL byte)"}}},
    {"CSV optional columns default to 0", "U,Y,H2,H1,R\n0.1,20,1.5,2,100\n", {{2, ""}}},
    {"H1 taken from the line before", "R,H1,H2,Y,U\n100,2,1.5,20,0.1\n100,,1.2,20,0.1\n100,,1,20,0.1\n",
     {{2, ""}, {3, ""}, {4, ""}}},
    {"H1 empty on the first line", "R,H1,H2,Y,U\n100,,1.2,20,0.1\n",
     {{2, "column H1: empty on the first line (no line before to take the exit thickness from)"}}},
    {"H1 after a line without H2", "R,H1,H2,Y,U\n100,2,x,20,0.1\n100,,1.2,20,0.1\n",
     {{2, "column H2: expected a number, found \"x\" (F6102)"},
      {3, "column H1: empty, and the line before has no exit thickness"}}},
    {"JSON strings, null H1, missing key",
     "[{\"R\":\"100\",\"H1\":2,\"H2\":1.5,\"Y\":20,\"U\":0.1},\n {\"R\":100,\"H1\":null,\"H2\":1.2,\"Y\":20,\"U\":0.1},\n"
     " {\"R\":100,\"H1\":2,\"H2\":1.5,\"Y\":20}]",
     {{1, ""}, {2, ""}, {3, "column U: missing"}}},
    {"JSON wrong kinds of value",
     "[{\"R\":true},\n{\"R\":[1]},\n{\"R\":{\"a\":1}},\n{\"Q\":1},\n{\"R\":1,\"R\":2},\n5]",
     {{1, "column R: expected a number, found true"},
      {2, "column R: expected a number, found an array"},
      {3, "column R: expected a number, found an object"},
      {4, "column R: missing"},  // Q is ignored (a note for the run)
      {5, "column R: named twice"},
      {6, "expected an object of column values, found \"5\""}}},
    {"JSON invalid inside an object, on its own line", "[{\"R\":100,\n\"U\":: 1}, {\"R\":1,\"H1\":2,\"H2\":1,\"Y\":2,\"U\":0.1}]",
     {{2, "not valid JSON near \"\"U\"::\""}, {2, ""}}},
    {"JSON array not closed", "[{\"R\":1,\"H1\":2,\"H2\":1,\"Y\":2,\"U\":0.1}\n",
     {{1, ""}, {2, "the input ends before the array's closing ]"}}},
    {"JSON object not closed", "[{\"R\":1,\n\"H1\":2", {{1, "the input ends inside an element of the array"}}},
    {"JSON text after the array", "[]\nx", {{2, "text after the array's closing ]"}}},
    {"JSON trailing comma", "[{\"R\":1,\"H1\":2,\"H2\":1,\"Y\":2,\"U\":0.1},]",
     {{1, ""}, {2, "expected an element of the array"}}},  // a minified array: the line column counts elements
    {"JSON not an array", "{\"R\":1}", {{1, "expected a JSON array of passes ([ ... ])"}}},
};

TEST(InputTest, EachLineReadOrItsProblem) {
  for (const LineCase& c : kLines) {
    const auto jobs = jobsOf(c.input);
    ASSERT_EQ(jobs.size(), c.lines.size()) << c.name;
    for (std::size_t i = 0; i < jobs.size(); ++i) {
      EXPECT_EQ(jobs[i].line, c.lines[i].first) << c.name << " line " << i;
      EXPECT_EQ(jobs[i].problem, c.lines[i].second) << c.name << " line " << i;
      EXPECT_EQ(jobs[i].readable, c.lines[i].second.empty()) << c.name << " line " << i;
    }
  }
}

// A schedule: each empty H1 is the H2 of the line before, as typed.
TEST(InputTest, ScheduleTakesTheExitThicknessOver) {
  const auto jobs = jobsOf("R,H1,H2,Y,U\n100,2,1.5,20,0.1\n100,,1.2,20,0.1\n100,,1,20,0.1\n");
  ASSERT_EQ(jobs.size(), 3u);
  EXPECT_EQ(jobs[1].request.input.H1, 1.5f);
  EXPECT_EQ(jobs[2].request.input.H1, 1.2f);
  EXPECT_EQ(jobs[2].request.input.H2, 1.0f);
}

// The header: repeated columns are reported and ignored, unknown ones
// noted (a warning, one for them all); no header at all, or one that is
// not text, leaves nothing to read.
TEST(InputTest, HeaderProblems) {
  orowan::batch::ByteSource bytes(std::string_view("R,H1,X,H2,R,Y,U,W\n"));
  auto source = orowan::batch::openPassSource(bytes, orowan::batch::InputFormat::detect);
  ASSERT_EQ(source->headerProblems().size(), 1u);
  ASSERT_EQ(source->headerWarnings().size(), 1u);
  EXPECT_EQ(source->headerWarnings()[0].text,
            "columns \"X\", \"W\": unknown (ignored; --keep NAME,... carries such columns into the results); the columns are "
            "R, H1, H2, Y, SGB, SGF, U, CURVE, K, N, EPS0, S0, EPS, E, NU, V, FLOW, C, A, M1 to M9, EPS_MIN, T, TRANSFER, EMISSIVITY, H_CONV, T_AMBIENT, DESCALE, H_WATER, H_CONTACT, T_ROLL, ETA, RHO, CP, ALPHA");
  EXPECT_EQ(source->headerProblems()[0].text, "column R: named twice (the second is ignored)");
  EXPECT_FALSE(source->names(orowan::batch::kSGB));
  for (const std::string_view bad : {std::string_view("\n\n"), std::string_view("R,\0U\n", 5)}) {
    orowan::batch::ByteSource b(bad);
    EXPECT_THROW(orowan::batch::openPassSource(b, orowan::batch::InputFormat::detect), orowan::batch::SourceError);
  }
}

}  // namespace
