// Mill outputs through orowan-batch: the flattened roll radius (E, NU),
// the slips, and with a roll speed (V) the strip's speeds and the power.
#include <gtest/gtest.h>

#include <cmath>
#include <nlohmann/json.hpp>
#include <sstream>

#include "passes/mill.h"
#include "run_tool.h"

namespace {

using batchtest::columnOf;
using batchtest::readFile;
using batchtest::runTool;
using batchtest::TempDir;

constexpr double kPi = 3.14159265358979323846;

double number(const std::string& text) { return std::stod(text); }

struct FlattenedPass {
  const char* line;  // R,H1,H2,Y,SGB,SGF,U,E,NU
  bool si;
};

// Cold passes of hard strip on steel rolls (21000 kgf/mm2, 206 GPa), one
// on softer rolls, one with its own Poisson's ratio, one in SI units.
const FlattenedPass kFlattened[] = {
    {"250,2,1.6,60,0,0,0.08,21000,", false},  {"250,1,0.8,60,0,0,0.08,21000,", false},
    {"200,0.5,0.42,45,5,0,0.06,21000,", false}, {"100,2,1.5,20,0,0,0.1,21000,", false},
    {"200,2,1.5,55,0,0,0.08,11000,0.28", false}, {"250,1,0.8,588.399,0,0,0.08,206000,", true},
};

// The console's scheme: the reported R_FLAT is Hitchcock's radius for the
// reported force to within the reported residual, which is exactly
// (T(R_FLAT) - R_FLAT) / R_FLAT from the printed values, and no larger
// than the force's jumps between neighbouring radii (some tenths of a per
// cent; with a continuous force it is 1e-6, tests/mill_test.cpp).
TEST(BatchMill, FlattenedRadiusIsHitchcocksForItsForce) {
  for (const FlattenedPass& p : kFlattened) {
    SCOPED_TRACE(p.line);
    const std::vector<std::string> args = p.si ? std::vector<std::string>{"--units", "si"} : std::vector<std::string>{};
    const auto r = runTool(args, {.input = "R,H1,H2,Y,SGB,SGF,U,E,NU\n" + std::string(p.line) + "\n"});
    ASSERT_EQ(columnOf(r.out, "status")[0], "ok") << r.out;
    const double toKgf = p.si ? 9.80665 : 1.0;
    const double R = number(columnOf(r.out, "R")[0]), dh = double(std::stof(columnOf(r.out, "H1")[0])) -
                                                          double(std::stof(columnOf(r.out, "H2")[0]));
    const double E = double(static_cast<float>(double(std::stof(columnOf(r.out, "E")[0])) / toKgf));
    const std::string nuText = columnOf(r.out, "NU")[0];
    const double nu = nuText.empty() ? double(0.3f) : double(std::stof(nuText));
    const double force = double(std::stof(columnOf(r.out, "ROLLING_FORCE")[0])) / toKgf;  // kgf/mm
    const double flat = double(std::stof(columnOf(r.out, "R_FLAT")[0]));
    const double hitchcock = R * (1.0 + 16.0 * (1.0 - nu * nu) * force / (kPi * E * dh));
    const double residual = number(columnOf(r.out, "R_FLAT_RESIDUAL")[0]);
    if (p.si) EXPECT_NEAR((hitchcock - flat) / flat, residual, 1e-7);  // the force read back from kN/m
    else EXPECT_EQ(static_cast<float>((hitchcock - flat) / flat), static_cast<float>(residual));
    EXPECT_LT(std::fabs(residual), 5e-3);
    EXPECT_GT(flat, R);
    EXPECT_LE(number(columnOf(r.out, "R_FLAT_ITERATIONS")[0]), 200);
  }
}

// The step file's rows without their line numbers.
std::vector<std::string> stepRows(const std::string& steps) {
  std::istringstream lines(steps);
  std::vector<std::string> rows;
  for (std::string row; std::getline(lines, row);) rows.push_back(row.substr(row.find(',')));
  return rows;
}

// Rigid rolls (E 1e30): every value of the pass and every step is that of
// the pass without E, R_FLAT is R after one pass; so for a pass that has
// no neutral point or faults at R, which is reported as it is.
TEST(BatchMill, RigidRollsAreTheUnflattenedPass) {
  TempDir dir;
  const std::string passes = "250,2,1.6,60,0,0,0.08\n200,0.5,0.42,45,5,0,0.06\n100,2,1.5,20,0,30,0.05\n"
                             "100,2,1.5,20,0,0,0\n";
  const std::string rigid = dir.write("rigid.csv", "R,H1,H2,Y,SGB,SGF,U,E\n" + [&] {
    std::string lines, line;
    std::istringstream in(passes);
    while (std::getline(in, line)) lines += line + ",1e30\n";
    return lines;
  }());
  const std::string plain = dir.write("plain.csv", "R,H1,H2,Y,SGB,SGF,U\n" + passes);
  for (const std::string& in : {rigid, plain}) runTool({in, "-o", in + ".out.csv", "--steps"});
  const std::string a = readFile(rigid + ".out.csv"), b = readFile(plain + ".out.csv");
  for (const char* column : {"REDUCTION_RATIO", "XL", "OM", "XN", "ON", "NEUTRAL_F", "NEUTRAL_P", "PM",
                             "ROLLING_FORCE", "G", "TORQUE_ARM", "status", "stage", "side", "step", "FORWARD_SLIP",
                             "BACKWARD_SLIP", "Y_MEAN"})
    EXPECT_EQ(columnOf(a, column), columnOf(b, column)) << column;
  EXPECT_EQ(stepRows(readFile(rigid + ".out.steps.csv")), stepRows(readFile(plain + ".out.steps.csv")));
  EXPECT_EQ(columnOf(a, "R_FLAT"), (std::vector<std::string>{"250", "200", "", ""}));
  EXPECT_EQ(columnOf(a, "R_FLAT_ITERATIONS"), (std::vector<std::string>{"1", "1", "1", "1"}));
  EXPECT_EQ(columnOf(a, "status")[3], "M6103");
}

// Softer rolls flatten more: as E falls R_FLAT rises, until no radius
// satisfies Hitchcock's equation; from there on, for every softer roll,
// the line says so and reports nothing of a pass (no values, no steps)
// but how many passes the search solved.
TEST(BatchMill, RadiusGrowsAsTheRollsSoftenUntilTheMinimumGauge) {
  TempDir dir;
  const std::string in = dir.write("p.csv", "R,H1,H2,Y,U,E\n250,1,0.8,60,0.08,21000\n");
  const auto r = runTool({in, "--vary", "E=2000:40000:2000", "-o", dir.path("out.csv"), "--steps"});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string out = readFile(dir.path("out.csv"));
  const auto status = columnOf(out, "status"), flat = columnOf(out, "R_FLAT");
  ASSERT_EQ(status.size(), 20u);
  double last = 250;
  int settled = 0, below = 0;
  for (int i = 19; i >= 0; --i) {  // E falling
    SCOPED_TRACE(i);
    if (status[i] == "ok") {
      EXPECT_EQ(below, 0);
      EXPECT_GT(number(flat[i]), last);
      last = number(flat[i]);
      ++settled;
      continue;
    }
    ++below;
    EXPECT_EQ(status[i], "no flattened radius");
    for (const char* column : {"R_FLAT", "R_FLAT_RESIDUAL", "XL", "ROLLING_FORCE", "FORWARD_SLIP", "Y_MEAN"})
      EXPECT_EQ(columnOf(out, column)[i], "") << column;
    EXPECT_NE(columnOf(out, "R_FLAT_ITERATIONS")[i], "");
    EXPECT_NE(out.find("no flattened radius,below minimum gauge: no radius up to 1000 R satisfies Hitchcock's "
                       "equation,,,,"),
              std::string::npos);
    EXPECT_EQ(readFile(dir.path("out.steps.csv")).find("\n2," + std::to_string(i + 1) + ","), std::string::npos);
  }
  EXPECT_GE(settled, 5);
  EXPECT_GE(below, 1);
  EXPECT_GT(last, 1.2 * 250);
}

// Forward slip (h_n - H2) / H2: none with the neutral point on the exit
// plane (the example pass with back tension 8.057), positive otherwise.
TEST(BatchMill, ForwardSlipVanishesWithTheNeutralPointOnTheExitPlane) {
  const auto r = runTool({}, {.input = "R,H1,H2,Y,SGB,U\n100,2,1.5,20,8.057,0.1\n100,2,1.5,20,0,0.1\n"
                                       "100,2,1.5,20,4,0.1\n"});
  const auto forward = columnOf(r.out, "FORWARD_SLIP"), backward = columnOf(r.out, "BACKWARD_SLIP");
  EXPECT_EQ(columnOf(r.out, "XN")[0], "0");
  EXPECT_EQ(forward[0], "0");
  EXPECT_EQ(backward[0], "0.25");  // (2 - 1.5) / 2: the whole reduction behind the neutral point
  EXPECT_GT(number(forward[1]), number(forward[2]));  // back tension moves the neutral point to the exit
  EXPECT_GT(number(forward[2]), 0);
}

// Constant volume through the neutral point: H1 V_ENTRY = H2 V_EXIT =
// h_n V cos(phi_n), h_n and phi_n the thickness and angle of the exit
// step at XN; the power is the torque times the roll's angular speed
// V / R (R the roll's own radius, flattened or not): kW/m = t m/m x
// 9.80665 kN m/(t m) x rad/s, or kN m/m x rad/s in SI. The JSON names.
TEST(BatchMill, SpeedsKeepTheVolumeFlowAndPowerIsTorqueTimesAngularSpeed) {
  const std::string passes = "[{\"R\":100,\"H1\":2,\"H2\":1.5,\"Y\":20,\"U\":0.1,\"V\":100},\n"
                             "{\"R\":250,\"H1\":1,\"H2\":0.8,\"Y\":60,\"U\":0.08,\"E\":21000,\"V\":600},\n"
                             "{\"R\":150,\"H1\":3,\"H2\":2.4,\"Y\":25,\"U\":0.8,\"SGF\":3,\"V\":45.5},\n"
                             "{\"R\":100,\"H1\":2,\"H2\":1.5,\"Y\":20,\"U\":0.1}]";
  for (const bool si : {false, true}) {
    SCOPED_TRACE(si ? "si" : "kgf");
    const auto r = runTool(si ? std::vector<std::string>{"--json", "--steps", "--units", "si"}
                              : std::vector<std::string>{"--json", "--steps"},
                           {.input = passes});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto results = nlohmann::json::parse(r.out);
    for (const auto& pass : results) {
      if (!pass.contains("V")) continue;
      ASSERT_EQ(pass["status"], "ok");
      if (pass["V"].is_null()) {
        EXPECT_TRUE(pass["V_EXIT"].is_null() && pass["V_ENTRY"].is_null() && pass["POWER"].is_null());
        EXPECT_TRUE(pass["FORWARD_SLIP"].is_number());
        continue;
      }
      const auto& exit = pass["steps"]["exit"];
      std::size_t n = 0;
      while (exit["X"][n].get<double>() != pass["XN"].get<double>()) ++n;
      const double V = pass["V"], flow = exit["H"][n].get<double>() * V * std::cos(exit["PHI"][n].get<double>());
      EXPECT_NEAR(pass["H1"].get<double>() * pass["V_ENTRY"].get<double>() / flow, 1.0, 3e-7);
      EXPECT_NEAR(pass["H2"].get<double>() * pass["V_EXIT"].get<double>() / flow, 1.0, 3e-7);
      const double omega = (V / 60) / (pass["R"].get<double>() / 1000);
      const double power = pass["G"].get<double>() * (si ? 1.0 : 9.80665) * omega;
      EXPECT_NEAR(pass["POWER"].get<double>() / power, 1.0, si ? 3e-7 : 1.5e-7);
      EXPECT_EQ(pass["R_FLAT"].is_number(), pass.contains("E") && !pass["E"].is_null());
    }
  }
}

// The friction hill of a flattened pass is drawn over its flattened arc
// (its contact length is the pass's at R') and its subtitle states R and
// R'; a line without a flattened radius gets no picture.
TEST(BatchMill, PictureOfAFlattenedPassStatesBothRadii) {
  TempDir dir;
  const std::string in = dir.write("p.csv", "R,H1,H2,Y,U,E\n250,1,0.8,60,0.08,\n250,1,0.8,60,0.08,21000\n"
                                            "250,0.5,0.4,60,0.08,21000\n");
  const auto r = runTool({in, "--svg", dir.path("svg")});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string rigid = readFile(dir.path("svg/line0002.svg")), flat = readFile(dir.path("svg/line0003.svg"));
  const auto xl = columnOf(r.out, "XL");
  EXPECT_EQ(rigid.find("R′"), std::string::npos);
  EXPECT_NE(flat.find("roll radius R 250 mm, drawn over the flattened arc, R′ " + columnOf(r.out, "R_FLAT")[1] + " mm"),
            std::string::npos);
  char label[32];
  std::snprintf(label, sizeof label, "XL %.2f mm", std::stod(xl[1]));  // the entry plane's label
  EXPECT_NE(flat.find(label), std::string::npos) << label;
  EXPECT_NE(xl[1], xl[0]);
  EXPECT_EQ(readFile(dir.path("svg/line0004.svg")), "");
}

// Hitchcock's radius for a textbook force: the hot pass of 1.5 in to 1.05
// in on rolls of 36 in diameter, 30 in wide, 3039.5 kip (1357 long tons)
// by the slab formula. With steel rolls of 30 10^6 psi and Poisson's ratio
// 0.3 (our values: the book's R' is not in our notes), in kgf and mm:
// R 457.2, dh 11.43, P' = 101317 lbf/in = 1809.31 kgf/mm, E 21092.1:
// R' = 457.2 (1 + 16 x 0.91 x 1809.31 / (pi x 21092.1 x 11.43))
//    = 457.2 x 1.034782 = 473.10 mm (18.63 in).
TEST(BatchMill, HitchcockRadiusOfTheTextbookForce) {
  const double R = 18 * 25.4, dh = 0.45 * 25.4, force = 3039.5e3 / 30 * 0.45359237 / 25.4;
  const double E = 30e6 * 0.45359237 / (25.4 * 25.4);
  EXPECT_NEAR(orowan::passes::hitchcockRadius(R, force, dh, {E, 0.3}), 473.10, 0.005);
}

// One message naming the file, the line and the column; that line's
// result is `error`; the lines around it are computed.
TEST(BatchMill, BadElasticConstantsAndSpeedsAreLineErrors) {
  const std::string header = "R,H1,H2,Y,U,E,NU,V\n", good = "100,2,1.5,20,0.1,21000,0.3,100\n";
  const std::pair<std::string, std::string> kBad[] = {
      {"100,2,1.5,20,0.1,0,,\n", "column E: must be above 0, found 0"},
      {"100,2,1.5,20,0.1,-21000,,\n", "column E: must be above 0, found -21000"},
      {"100,2,1.5,20,0.1,21000,0.5,\n", "column NU: must be at least 0 and below 0.5, found 0.5"},
      {"100,2,1.5,20,0.1,21000,-0.1,\n", "column NU: must be at least 0 and below 0.5, found -0.1"},
      {"100,2,1.5,20,0.1,,,-1\n", "column V: must not be negative, found -1"},
  };
  for (const auto& [bad, message] : kBad) batchtest::expectBadMiddleLine(header, good, bad, message);
  // 1.4e-45 MPa is below the smallest kgf/mm2 single: zero to the analysis.
  batchtest::expectBadMiddleLine(header, good, "100,2,1.5,20,0.1,1e-45,,\n", "column E: must be above 0, found 1e-45",
                                 {"--units", "si"});
}

}  // namespace
