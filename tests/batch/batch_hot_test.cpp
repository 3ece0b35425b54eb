// Hot passes through orowan-batch: sweeps over temperature and speed,
// schedules that carry the strip's temperature and strain, validity
// notes, and bad hot values worded with their line and column.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "run_tool.h"

namespace {

using batchtest::columnOf;
using batchtest::runTool;

const std::string kHeader = "R,H1,H2,U,V,FLOW,C,T,TRANSFER,DESCALE\n";

double number(const std::string& text) { return std::stod(text); }

// The force falls as the strip gets hotter and rises as the rolls turn
// faster (the strain rate), case by case along each sweep.
TEST(BatchHot, HotterSofterFasterHarder) {
  struct Case {
    const char* vary;
    bool rises;
  };
  for (const Case& c : {Case{"T=900:1200:50", false}, Case{"V=30:300:30", true}}) {
    SCOPED_TRACE(c.vary);
    for (const char* law : {"misaka", "shida"}) {
      const auto r = runTool({"--vary", c.vary}, {.input = kHeader + "400,25,16,0.3,60," + law + ",0.1,1100,5,0\n"});
      ASSERT_EQ(r.status, 0) << r.err;
      const auto force = columnOf(r.out, "ROLLING_FORCE");
      ASSERT_GE(force.size(), 6u);
      for (std::size_t k = 1; k < force.size(); ++k) {
        if (c.rises) EXPECT_GT(number(force[k]), number(force[k - 1])) << law << " case " << k + 1;
        else EXPECT_LT(number(force[k]), number(force[k - 1])) << law << " case " << k + 1;
      }
      const auto rate = columnOf(r.out, "EPS_RATE_MEAN");
      if (c.rises) EXPECT_GT(number(rate.back()), number(rate.front()));
    }
  }
}

// A line with H1 and T empty takes the thickness, the strain and the
// temperature the line before left; a sweep keeps each case's own.
TEST(BatchHot, ScheduleCarriesTemperatureAndStrain) {
  const auto r = runTool({"--vary", "V=60:120:60"},
                         {.input = kHeader + "500,40,28,0.3,60,misaka,0.1,1150,10,0.5\n"
                                             "500,,19,0.3,90,misaka,0.1,,6,\n"
                                             "500,,13,0.3,120,shida,0.1,,4,\n"});
  ASSERT_EQ(r.status, 0) << r.err;
  const auto T = columnOf(r.out, "T"), exitT = columnOf(r.out, "T_EXIT");
  const auto in = columnOf(r.out, "EPS_IN"), out = columnOf(r.out, "EPS_OUT");
  const auto status = columnOf(r.out, "status");
  ASSERT_EQ(T.size(), 6u);
  for (std::size_t k = 2; k < 6; ++k) {
    SCOPED_TRACE(k);
    EXPECT_EQ(status[k], "ok");
    EXPECT_EQ(T[k], exitT[k - 2]);  // the same case of the line before
    EXPECT_EQ(in[k], out[k - 2]);
  }
  EXPECT_NE(exitT[0], exitT[1]);  // the cases ran at different speeds
}

// Bad hot values: the line's message names the column, the other lines
// are computed.
TEST(BatchHot, BadValuesNameTheirColumn) {
  const std::string good = "400,25,16,0.3,60,misaka,0.1,1100,5,0\n";
  struct Case {
    const char* bad;
    const char* message;
  };
  const Case cases[] = {
      {"400,25,16,0.3,60,misaka,0.1,-274,5,0",
       "column T: must not be below absolute zero (-273.15 degC), found -274"},
      {"400,25,16,0.3,60,misaka,0.1,1100,-2,0", "column TRANSFER: a time must not be negative, found -2"},
      {"400,25,16,0.3,60,misaka,0.1,1100,5,-0.5", "column DESCALE: a time must not be negative, found -0.5"},
      {"400,25,16,0.3,60,misaka,1.6,1100,5,0",
       "column C: must be within 0 and 1.5 (mass %, carbon steels), found 1.6"},
      {"400,25,16,0.3,60,shida,-0.1,1100,5,0",
       "column C: must be within 0 and 1.5 (mass %, carbon steels), found -0.1"},
      {"400,25,16,0.3,60,misaka,0.1,,5,0", "column T: missing; a hot pass needs the strip's temperature"},
      {"400,25,16,0.3,,misaka,0.1,1100,5,0",
       "column V: missing; a hot pass needs the roll speed (its strain rate and time in the bite)"},
      {"400,25,16,0.3,60,hot,0.1,1100,5,0", "column FLOW: expected misaka, shida or hensel-spittel, found \"hot\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bad);
    batchtest::expectBadMiddleLine(kHeader, good, std::string(c.bad) + "\n", c.message);
  }
  batchtest::expectBadMiddleLine("R,H1,H2,Y,U,V,T\n", "400,25,16,10,0.3,60,\n", "400,25,16,10,0.3,60,1100\n",
                                 "column T: a hot pass's value, but FLOW is empty");
}

// Outside the law's published validity the pass is computed and its
// message column says which limits it breaks; inside, it says nothing.
TEST(BatchHot, ValidityNotes) {
  const auto r = runTool({"--json"}, {.input = kHeader + "400,25,16,0.3,60,misaka,0.1,1100,5,0\n"
                                                                   "400,25,22,0.3,600,misaka,0.1,1000,5,0\n"});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string first = r.out.substr(0, r.out.find("\n{", 2));
  EXPECT_NE(first.find("EPS_RATE_MEAN below 30 /s"), std::string::npos) << first;
  EXPECT_NE(first.find("\"status\":\"ok\""), std::string::npos) << first;
  const std::string second = r.out.substr(r.out.find("\n{", 2));
  EXPECT_NE(second.find("\"message\":null"), std::string::npos) << second;
}

}  // namespace

namespace {

// A cold line's output keeps every byte it had: the hot columns come
// after everything else (CSV: after STEPS_PER_SIDE; JSON: after the steps
// object), empty or null.
TEST(BatchHot, HotColumnsComeLast) {
  const std::string cold = "R,H1,H2,Y,SGB,SGF,U\n100,2,1.5,20,0,0,0.1\n";
  const auto csv = runTool({"--solver", "console"}, {.input = cold});
  const auto json = runTool({"--json", "--steps"}, {.input = cold});
  ASSERT_EQ(csv.status, 0) << csv.err;
  const std::string header = csv.out.substr(0, csv.out.find('\n'));
  ASSERT_NE(header.find(",STEPS_PER_SIDE,FLOW,"), std::string::npos) << header;
  ASSERT_EQ(json.status, 0) << json.err;
  const std::size_t steps = json.out.find("\"steps\":{"), flow = json.out.find("\"FLOW\":null");
  ASSERT_NE(steps, std::string::npos);
  EXPECT_LT(steps, flow);
  EXPECT_NE(json.out.find("\"H2_HOT\":null}"), std::string::npos);
  const std::string plain = runTool({}, {.input = cold}).out;
  EXPECT_NE(plain.find("POWER,FLOW,"), std::string::npos);
  EXPECT_TRUE(plain.ends_with(std::string(33, ',') + "\n")) << plain;
}

}  // namespace
