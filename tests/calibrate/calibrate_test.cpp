// The calibration on logs made here by the forward solve from known laws
// plus stated noise: the laws recovered within their standard errors, an
// RMS miss near the noise, outliers handled by a robust loss (and not
// without one), bad lines refused with their line and column, and the
// distributed normal equations (summed over parts of the log) equal to
// the whole log's.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>
#include <string>

#include "calibrate/least_squares.h"
#include "calibrate/log.h"
#include "calibrate/model.h"
#include "passes/solve.h"

namespace {

using namespace orowan::calibrate;
namespace passes = orowan::passes;

// The laws the logs are made with.
constexpr double kU0 = 0.16, kUV = -0.00015;  // U = U0 + UV V, V in m/min
const char* const kGrades[] = {"A", "B", "C"};
constexpr double kFactors[] = {1.0, 1.15, 0.9};

struct LogShape {
  int lines = 300;
  double noise = 0.01;       // relative, normal, on force and slip
  double outliers = 0;       // share of lines whose force reads 30 % off
  unsigned seed = 7;
};

// A normal deviate from two uniform ones (Box–Muller), the same on every
// standard library.
double normal(std::mt19937& g) {
  const double u1 = (double(g()) + 1) / 4294967297.0, u2 = (double(g()) + 1) / 4294967297.0;
  return std::sqrt(-2 * std::log(u1)) * std::cos(6.283185307179586 * u2);
}

double uniform(std::mt19937& g, double lo, double hi) { return lo + (hi - lo) * (double(g()) / 4294967296.0); }

// A CSV log: passes of varied geometry, grade and speed, solved with the
// true friction and flow stress, the force and slip read with noise.
std::string makeLog(const LogShape& shape) {
  std::mt19937 g(shape.seed);
  std::string csv = "R,H1,H2,Y,SGB,SGF,V,GRADE,FORCE_MEASURED,FORWARD_SLIP_MEASURED\n";
  auto scratch = std::make_unique<orowan::PassResult>();
  passes::Answer a;
  for (int i = 0; i < shape.lines; ++i) {
    const int grade = int(g() % 3);
    passes::Request r;
    r.input.R = float(uniform(g, 150, 400));
    r.input.H1 = float(uniform(g, 1.5, 4));
    r.input.H2 = float(r.input.H1 * uniform(g, 0.7, 0.85));
    const float Y = float(uniform(g, 20, 45));
    r.input.SGB = float(uniform(g, 0, 5));
    r.input.SGF = float(uniform(g, 0, 6));
    const float V = float(uniform(g, 100, 500));
    r.input.friction = float(kU0 + kUV * V);
    r.input.meanYieldStress = float(Y * kFactors[grade]);
    passes::solveRequest(r, a, *scratch);
    if (!passes::hasNeutralPoint(a)) continue;
    double force = a.summary.rollingForce * (1 + shape.noise * normal(g));
    const double slip = a.values.FORWARD_SLIP * (1 + shape.noise * normal(g));
    if (uniform(g, 0, 1) < shape.outliers) force *= 1.3;
    csv += passes::singleText(r.input.R) + "," + passes::singleText(r.input.H1) + "," + passes::singleText(r.input.H2) +
           "," + passes::singleText(Y) + "," + passes::singleText(r.input.SGB) + "," + passes::singleText(r.input.SGF) +
           "," + passes::singleText(V) + "," + kGrades[grade] + "," + passes::singleText(float(force)) + "," +
           passes::singleText(float(slip)) + "\n";
  }
  return csv;
}

struct Fitted {
  Log log;
  Model model;
  Calibration c;
};

Fitted fit(const std::string& csv, Loss loss = Loss::squared) {
  const Law friction = parseFrictionLaw("linear:V"), factor = parseFactorLaw("by:GRADE");
  Fitted f{readLog("log.csv", csv, lawColumns(friction, factor), orowan::batch::Units::report), {}, {}};
  f.model = makeModel(friction, factor, f.log);
  f.model.loss = loss;
  f.c = calibrate(f.model, f.log, Settings{2, 100, nullptr});
  return f;
}

// The true value of a parameter by name.
double truth(const std::string& name) {
  if (name == "U0") return kU0;
  if (name == "U_V") return kUV;
  for (int g = 0; g < 3; ++g)
    if (name == std::string("Y_FACTOR[") + kGrades[g] + "]") return kFactors[g];
  return NAN;
}

// Whether every parameter is within two of its standard errors of the
// truth.
::testing::AssertionResult recovered(const Calibration& c) {
  for (std::size_t i = 0; i < c.names.size(); ++i) {
    const double t = truth(c.names[i]);
    if (!(std::fabs(c.values[i] - t) <= 2 * c.stderrs[i]))
      return ::testing::AssertionFailure() << c.names[i] << " " << c.values[i] << " +- " << c.stderrs[i] << ", truth " << t;
  }
  return ::testing::AssertionSuccess();
}

TEST(Calibrate, RecoversTheLawsOfANoisyLog) {
  const Fitted f = fit(makeLog({}));
  ASSERT_EQ(f.c.names, (std::vector<std::string>{"U0", "U_V", "Y_FACTOR[A]", "Y_FACTOR[B]", "Y_FACTOR[C]"}));
  EXPECT_TRUE(recovered(f.c));
  for (const double se : f.c.stderrs) EXPECT_GT(se, 0);
  // 1 % noise: the RMS miss after the fit is the noise (and the force's
  // jumps, some tenths of a per cent), well below the miss before.
  EXPECT_NEAR(f.c.forceAfter.rms, 0.01, 0.003);
  EXPECT_NEAR(f.c.slipAfter.rms, 0.01, 0.008);
  EXPECT_GT(f.c.forceBefore.rms, 3 * f.c.forceAfter.rms);
  EXPECT_EQ(f.c.forceAfter.count, long(f.log.lines.size()));
}

TEST(Calibrate, OutliersNeedARobustLoss) {
  LogShape shape;
  shape.outliers = 0.05;
  const std::string csv = makeLog(shape);
  const Fitted plain = fit(csv), huber = fit(csv, Loss::huber);
  EXPECT_FALSE(recovered(plain.c)) << "squares follow the 30 % readings";
  EXPECT_TRUE(recovered(huber.c));
}

TEST(Calibrate, RefusesBadLinesWithTheirColumnAndFitsTheRest) {
  std::string csv = makeLog({60, 0.01, 0, 3});
  const std::string bad[] = {
      "200,2,1.6,30,0,0,300,A,,0.04\n",        // line 62: no measured force
      "200,2,1.6,30,0,0,300,A,-120,0.04\n",    // 63: negative force
      "200,2,1.6,30,0,0,fast,A,150,0.04\n",    // 64: V not a number
      "200,2,1.6,30,0,0,300,,150,0.04\n",      // 65: no grade
  };
  const long first = long(std::count(csv.begin(), csv.end(), '\n')) + 1;
  for (const std::string& b : bad) csv += b;
  const Fitted f = fit(csv);
  const std::pair<long, std::string> expected[] = {
      {first, "column FORCE_MEASURED: missing or empty"},
      {first + 1, "column FORCE_MEASURED: must be above 0, found -120"},
      {first + 2, "column V: expected a number"},
      {first + 3, "column GRADE: empty"},
  };
  ASSERT_EQ(f.log.refused.size(), std::size(expected));
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    EXPECT_EQ(f.log.refused[i].line, expected[i].first);
    EXPECT_EQ(f.log.refused[i].why.rfind(expected[i].second, 0), 0u) << f.log.refused[i].why;
  }
  EXPECT_EQ(f.c.forceAfter.count, long(f.log.lines.size()));
  EXPECT_TRUE(recovered(f.c));
}

TEST(Calibrate, PartsOfALogSumToTheWhole) {
  // A distributed calibration sums the normal equations of its parts: the
  // sums must be the whole log's, with the groups fixed beforehand.
  const Law friction = parseFrictionLaw("linear:V"), factor = parseFactorLaw("by:GRADE");
  const Log whole = readLog("log.csv", makeLog({40, 0.01, 0, 5}), lawColumns(friction, factor), orowan::batch::Units::report);
  const Model m = makeModel(friction, factor, whole);
  Log a = whole, b = whole;
  a.lines.resize(whole.lines.size() / 2);
  b.lines.erase(b.lines.begin(), b.lines.begin() + long(whole.lines.size() / 2));
  const Model ma = makeModel(friction, factor, a, m.frictionGroups, m.factorGroups);
  const std::vector<double> p{0.15, -0.0001, 1.05, 1.1, 0.95};
  const NormalEquations all = normalEquations(m, whole, p, 2), na = normalEquations(ma, a, p, 1),
                        nb = normalEquations(ma, b, p, 1);
  EXPECT_EQ(ma.names, m.names);
  EXPECT_EQ(na.residuals + nb.residuals, all.residuals);
  EXPECT_NEAR(na.cost + nb.cost, all.cost, 1e-12 * all.cost);
  for (std::size_t i = 0; i < all.JtJ.size(); ++i) EXPECT_NEAR(na.JtJ[i] + nb.JtJ[i], all.JtJ[i], 1e-9 * std::fabs(all.JtJ[i]) + 1e-12);
}

TEST(Calibrate, LawsAndTheirNames) {
  struct Case {
    const char* friction;
    const char* factor;
    std::vector<std::string> names;
  };
  const Log log = readLog("log.csv", makeLog({12, 0.01, 0, 9}), {{"V"}, {"GRADE"}}, orowan::batch::Units::report);
  const Case cases[] = {
      {"const", "none", {"U0"}},
      {"const", "const", {"U0", "Y_FACTOR"}},
      {"linear:V,R", "none", {"U0", "U_V", "U_R"}},
      {"by:GRADE", "by:GRADE", {"U[A]", "U[B]", "U[C]", "Y_FACTOR[A]", "Y_FACTOR[B]", "Y_FACTOR[C]"}},
  };
  for (const Case& c : cases) {
    const Model m = makeModel(parseFrictionLaw(c.friction), parseFactorLaw(c.factor), log);
    EXPECT_EQ(m.names, c.names) << c.friction << " " << c.factor;
  }
  for (const char* bad : {"linear:", "by:A,B", "quadratic:V", "none"}) EXPECT_THROW(parseFrictionLaw(bad), std::invalid_argument) << bad;
  EXPECT_THROW(parseFactorLaw("linear:V"), std::invalid_argument);
}

}  // namespace
