// Friction hills read back from their SVG: every curve vertex, the neutral
// marker, the sticking bands and the RK line map back to the data through
// the axes' labelled ticks; the axes cover the data; the legend covers no
// curve; undrawable values leave gaps and never reach the file.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <tuple>

#include "testing/sample_passes.h"
#include "svg_check.h"

namespace pics = orowan::pictures;
using svgcheck::Element;
using svgcheck::findAll;
using svgcheck::findOne;

namespace {

constexpr double kHalfPixel = 0.5;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

struct HillCase {
  const char* name;
  pics::FrictionHill hill;
};

// Test names instead of a byte dump of the case.
void PrintTo(const HillCase& c, std::ostream* os) { *os << c.name; }

pics::FrictionHill withUndrawableValues() {
  pics::FrictionHill hill = orowan::testing::typicalPass();
  hill.title = "typical pass with undrawable values";
  hill.exitMarch.P[17] = kNaN;
  hill.exitMarch.X[200] = std::numeric_limits<double>::infinity();
  hill.entryMarch.F[0] = -std::numeric_limits<double>::infinity();
  hill.entryMarch.RK[5] = kNaN;
  return hill;
}

pics::FrictionHill inOtherUnits() {
  pics::FrictionHill hill = orowan::testing::typicalPass();
  hill.units = {"mm", "MPa", "kN/m"};
  return hill;
}

std::vector<HillCase> cases() {
  using namespace orowan::testing;
  return {{"typical", typicalPass()},        {"sticking", stickingPass()},
          {"no_neutral", noNeutralPass()},   {"thin_strip", thinStripPass()},
          {"tension", tensionPass()},        {"hardening", hardeningPass()},
          {"single_step", singleStepPass()}, {"flat", flatPass()},
          {"dense", densePass(5000)},        {"undrawable", withUndrawableValues()},
          {"other_units", inOtherUnits()}};
}

std::string twoDecimals(double v) {
  char text[64];
  std::snprintf(text, sizeof text, "%.2f", v);
  return text;
}

bool drawable(double x, double y) { return std::isfinite(x) && std::isfinite(y); }

// The drawable (x, y) pairs of the first n steps, in order.
svgcheck::Run points(const std::vector<double>& xs, const std::vector<double>& ys) {
  svgcheck::Run out;
  for (std::size_t i = 0; i < xs.size() && i < ys.size(); ++i) {
    if (drawable(xs[i], ys[i])) out.push_back({xs[i], ys[i]});
  }
  return out;
}

class FrictionHillTest : public testing::TestWithParam<HillCase> {
 protected:
  void SetUp() override {
    text = pics::frictionHillSvg(GetParam().hill);
    svg = xmlcheck::parseXml(text);
  }
  const pics::FrictionHill& hill() const { return GetParam().hill; }
  const Element& panel(const char* which) const {
    return findOne(svg, std::string("panel ") + which);
  }
  const std::vector<double>& values(const pics::MarchSteps& m, const char* which) const {
    return std::string(which) == "pressure" ? m.P : m.F;
  }
  std::string text;
  Element svg;
};

// Data points against the vertices of a path, both through the panel's scales.
void expectVerticesAt(const Element& panel, const Element& path, const svgcheck::Run& data) {
  svgcheck::Scale x = svgcheck::axisScale(panel, 'x'), y = svgcheck::axisScale(panel, 'y');
  svgcheck::Run drawn = svgcheck::vertices(svgcheck::pathRuns(path));
  ASSERT_EQ(drawn.size(), data.size()) << *path.attribute("class");
  for (std::size_t i = 0; i < data.size(); ++i) {
    ASSERT_NEAR(drawn[i].x, x.toPixel(data[i].x), kHalfPixel) << "vertex " << i;
    ASSERT_NEAR(drawn[i].y, y.toPixel(data[i].y), kHalfPixel) << "vertex " << i;
  }
}

TEST_P(FrictionHillTest, EveryStepOfBothMarchesIsAVertex) {
  for (const char* which : {"pressure", "force"}) {
    SCOPED_TRACE(which);
    const pics::MarchSteps& ex = hill().exitMarch;
    const pics::MarchSteps& en = hill().entryMarch;
    expectVerticesAt(panel(which), findOne(panel(which), "curve exit"),
                     points(ex.X, values(ex, which)));
    expectVerticesAt(panel(which), findOne(panel(which), "curve entry"),
                     points(en.X, values(en, which)));
  }
}

TEST_P(FrictionHillTest, TicksAreConsistentAndCoverTheData) {
  for (const char* which : {"pressure", "force"}) {
    SCOPED_TRACE(which);
    for (char axis : {'x', 'y'}) {
      std::vector<svgcheck::Tick> ticks = svgcheck::ticks(panel(which), axis);
      svgcheck::Scale scale = svgcheck::axisScale(panel(which), axis);
      for (const auto& t : ticks) EXPECT_NEAR(scale.toPixel(t.value), t.pixel, kHalfPixel);
      for (std::size_t i = 1; i < ticks.size(); ++i) EXPECT_GT(ticks[i].value, ticks[i - 1].value);
    }
    std::vector<double> xs, ys;
    for (const pics::MarchSteps* m : {&hill().exitMarch, &hill().entryMarch}) {
      for (const auto& p : points(m->X, values(*m, which))) xs.push_back(p.x), ys.push_back(p.y);
      if (std::string(which) == "pressure") {
        for (const auto& p : points(m->X, m->RK)) ys.push_back(p.y);
      }
    }
    if (hill().neutral) {
      xs.push_back(hill().neutral->X);
      ys.push_back(std::string(which) == "pressure" ? hill().neutral->P : hill().neutral->F);
    }
    auto tx = svgcheck::ticks(panel(which), 'x'), ty = svgcheck::ticks(panel(which), 'y');
    EXPECT_LE(tx.front().value, *std::min_element(xs.begin(), xs.end()));
    EXPECT_GE(tx.back().value, *std::max_element(xs.begin(), xs.end()));
    EXPECT_LE(ty.front().value, *std::min_element(ys.begin(), ys.end()));
    EXPECT_GE(ty.back().value, *std::max_element(ys.begin(), ys.end()));
  }
}

TEST_P(FrictionHillTest, NeutralPointMarkedInBothPanelsOrNoted) {
  auto notes = findAll(svg, "note");
  if (!hill().neutral) {
    EXPECT_TRUE(findAll(svg, "neutral").empty());
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0]->allText(), "No neutral point: the force curves do not meet");
    return;
  }
  EXPECT_TRUE(notes.empty());
  const pics::NeutralPoint& n = *hill().neutral;
  for (auto [which, value, name] :
       {std::tuple{"pressure", n.P, "P "}, std::tuple{"force", n.F, "F "}}) {
    SCOPED_TRACE(which);
    const Element& marker = findOne(panel(which), "neutral");
    EXPECT_NEAR(marker.number("cx"), svgcheck::axisScale(panel(which), 'x').toPixel(n.X),
                kHalfPixel);
    EXPECT_NEAR(marker.number("cy"), svgcheck::axisScale(panel(which), 'y').toPixel(value),
                kHalfPixel);
    std::string label = findOne(panel(which), "neutral-label").allText();
    EXPECT_NE(label.find("XN " + twoDecimals(n.X)), std::string::npos) << label;
    EXPECT_NE(label.find(name), std::string::npos) << label;
  }
}

TEST_P(FrictionHillTest, LegendCoversNoCurveMarkerOrLabel) {
  double width = svg.number("width");
  for (const char* which : {"pressure", "force"}) {
    SCOPED_TRACE(which);
    svgcheck::Box box = svgcheck::rectBox(findOne(panel(which), "legend-box"));
    EXPECT_LE(box.x1, width);
    for (const Element* curve : findAll(panel(which), "curve")) {
      EXPECT_FALSE(svgcheck::crosses(svgcheck::pathRuns(*curve), box))
          << *curve->attribute("class");
    }
    for (const Element* marker : findAll(panel(which), "neutral")) {
      double cx = marker->number("cx"), cy = marker->number("cy"), r = marker->number("r");
      EXPECT_FALSE(cx + r > box.x0 && cx - r < box.x1 && cy + r > box.y0 && cy - r < box.y1);
    }
  }
}

// Stick bands run from each sticking step to the start of the next step,
// only where the strip feels the march: the exit march up to the neutral
// point, the entry march from it (a band that crosses it ends there).
TEST_P(FrictionHillTest, StickBandsCoverTheStickingSteps) {
  const Element& p = panel("pressure");
  for (auto [march, cls] :
       {std::pair{&hill().exitMarch, "stick exit"}, std::pair{&hill().entryMarch, "stick entry"}}) {
    SCOPED_TRACE(cls);
    const bool exitSide = std::string(cls) == "stick exit";
    auto felt = [&](double x) {
      return hill().neutral && (exitSide ? x <= hill().neutral->X : x >= hill().neutral->X);
    };
    svgcheck::Run expected;
    for (std::size_t i = 0; i < march->SL_ST.size(); ++i) {
      const bool sticks = march->SL_ST[i] == 2 && felt(march->X[i]);
      const bool ends = i > 0 && march->SL_ST[i - 1] == 2 && felt(march->X[i - 1]);
      if (!sticks && !ends) continue;
      if (!sticks && !felt(march->X[i])) expected.push_back({hill().neutral->X, hill().neutral->P});
      else if (drawable(march->X[i], march->P[i])) expected.push_back({march->X[i], march->P[i]});
    }
    auto bands = findAll(p, cls);
    if (expected.empty()) {
      EXPECT_TRUE(bands.empty());
      continue;
    }
    ASSERT_EQ(bands.size(), 1u);
    expectVerticesAt(p, *bands[0], expected);
  }
}

TEST_P(FrictionHillTest, YieldStressLineAndItsLabel) {
  const Element& p = panel("pressure");
  const pics::MarchSteps& m = hill().exitMarch;
  svgcheck::Run rk = points(m.X, m.RK);
  bool constant = std::all_of(rk.begin(), rk.end(), [&](auto& q) { return q.y == rk[0].y; });
  const Element& line = findOne(p, "curve rk");
  EXPECT_EQ(findOne(p, "rk-label").allText(), "RK");
  if (!constant) {
    expectVerticesAt(p, line, rk);
    return;
  }
  svgcheck::Run drawn = svgcheck::vertices(svgcheck::pathRuns(line));
  ASSERT_EQ(drawn.size(), 2u);
  svgcheck::Box area = svgcheck::rectBox(findOne(p, "plot-area"));
  svgcheck::Scale y = svgcheck::axisScale(p, 'y');
  for (const auto& v : drawn) EXPECT_NEAR(v.y, y.toPixel(rk[0].y), kHalfPixel);
  EXPECT_EQ(drawn[0].x, area.x0);
  EXPECT_EQ(drawn[1].x, area.x1);
}

void expectFiniteNumbers(const Element& e) {
  for (const char* name : {"x", "y", "x1", "y1", "x2", "y2", "cx", "cy", "r", "width", "height"}) {
    if (e.attribute(name)) {
      EXPECT_TRUE(std::isfinite(e.number(name))) << e.name << " " << name;
    }
  }
  if (e.name == "path") {
    EXPECT_NO_THROW(svgcheck::pathRuns(e)) << *e.attribute("d");
  }
  for (const Element& child : e.children) expectFiniteNumbers(child);
}

TEST_P(FrictionHillTest, NoNonFiniteNumberAnywhere) {
  for (const char* bad : {"nan", "NaN", "inf"}) EXPECT_EQ(text.find(bad), std::string::npos) << bad;
  expectFiniteNumbers(svg);
}

TEST_P(FrictionHillTest, AxisTitlesCarryTheUnits) {
  const pics::Units& u = hill().units;
  EXPECT_EQ(findOne(panel("pressure"), "axis-title y").allText(), "P (" + u.pressure + ")");
  EXPECT_EQ(findOne(panel("force"), "axis-title y").allText(), "F (" + u.force + "), compression positive");  // the sign convention said
  EXPECT_EQ(findOne(panel("force"), "axis-title x").allText(),
            "X from the exit plane (" + u.length + ")");
}

INSTANTIATE_TEST_SUITE_P(Passes, FrictionHillTest, testing::ValuesIn(cases()),
                         [](const auto& info) { return std::string(info.param.name); });

// Inputs a faulted or extreme pass may give: nothing at all, vectors of
// different lengths, nothing drawable, magnitudes near the float range.
std::vector<HillCase> oddCases() {
  pics::FrictionHill empty, mismatched, undrawable, extreme;
  mismatched.exitMarch = {{0, 1, 2, 3}, {20, 21}, {0, 1, 2, 3, 4, 5}, {}, {2}};
  undrawable.exitMarch = {{kNaN, kNaN}, {kNaN, 1}, {1, kNaN}, {kNaN}, {}};
  undrawable.neutral = pics::NeutralPoint{kNaN, kNaN, kNaN};
  extreme.exitMarch = {
      {0, 1e-30, 2e-30}, {3.4e38, -3.4e38, 1e30}, {-1e-45, 0, 1e30}, {1e30, 1e30, 1e30}, {}};
  extreme.neutral = pics::NeutralPoint{1e-30, 2e30, 0};
  return {{"empty", empty},
          {"mismatched", mismatched},
          {"undrawable", undrawable},
          {"extreme", extreme}};
}

TEST(FrictionHill, OddInputsStillDrawWhatCanBeDrawn) {
  for (const HillCase& c : oddCases()) {
    SCOPED_TRACE(c.name);
    Element svg = xmlcheck::parseXml(pics::frictionHillSvg(c.hill));
    expectFiniteNumbers(svg);
    const pics::MarchSteps& m = c.hill.exitMarch;
    const Element& pressure = findOne(svg, "panel pressure");
    EXPECT_EQ(svgcheck::vertexCount(svgcheck::pathRuns(findOne(pressure, "curve exit"))),
              points(m.X, m.P).size());
    const Element& force = findOne(svg, "panel force");
    EXPECT_EQ(svgcheck::vertexCount(svgcheck::pathRuns(findOne(force, "curve exit"))),
              points(m.X, m.F).size());
    bool marked = c.hill.neutral && std::isfinite(c.hill.neutral->X);
    EXPECT_EQ(findAll(svg, "neutral").size(), marked ? 2u : 0u);
  }
}

TEST(FrictionHill, UndrawableValuesBreakTheCurve) {
  xmlcheck::Element svg = xmlcheck::parseXml(pics::frictionHillSvg(withUndrawableValues()));
  const Element& pressure = findOne(svg, "panel pressure");
  // P[17] and X[200] of the exit march are not drawable: three runs.
  EXPECT_EQ(svgcheck::pathRuns(findOne(pressure, "curve exit")).size(), 3u);
  EXPECT_EQ(svgcheck::pathRuns(findOne(findOne(svg, "panel force"), "curve entry")).size(), 1u);
}

TEST(FrictionHill, InlineSvgHasNoDeclarationAndNoIds) {
  std::string text =
      pics::frictionHillSvg(orowan::testing::typicalPass(), pics::Embedding::inlineHtml);
  EXPECT_EQ(text.rfind("<svg xmlns=\"http://www.w3.org/2000/svg\"", 0), 0u);
  EXPECT_EQ(text.find(" id="), std::string::npos);
}

}  // namespace

namespace {

// The pressure and force the strip feels, emphasised: the exit march from
// the exit plane to the neutral point and the entry march from the
// neutral point to the entry plane, each ending at the neutral point;
// the marches themselves stay whole beneath (faint). Without a neutral
// point there is none, and the title says so.
TEST_P(FrictionHillTest, TheStripsPressureIsEachMarchUpToTheNeutralPoint) {
  const bool neutral = hill().neutral.has_value();
  EXPECT_EQ(findOne(svg, "title").allText().rfind("No neutral point: ", 0) == 0, !neutral);
  for (const char* which : {"pressure", "force"}) {
    SCOPED_TRACE(which);
    const Element& p = panel(which);
    for (const bool exitSide : {true, false}) {
      const pics::MarchSteps& m = exitSide ? hill().exitMarch : hill().entryMarch;
      std::vector<const Element*> strips;  // the curve itself, not its legend sample
      for (const Element* e : findAll(p, exitSide ? "strip exit" : "strip entry"))
        if (e->name == "path" && *e->attribute("class") == (exitSide ? "strip exit" : "strip entry")) strips.push_back(e);
      if (!neutral) {
        EXPECT_TRUE(strips.empty());
        continue;
      }
      svgcheck::Run expected;
      const std::vector<double>& v = values(m, which);
      for (std::size_t i = 0; i < m.X.size(); ++i) {
        if (exitSide ? m.X[i] > hill().neutral->X : m.X[i] < hill().neutral->X) break;
        if (drawable(m.X[i], v[i])) expected.push_back({m.X[i], v[i]});
      }
      expected.push_back({hill().neutral->X, std::string(which) == "pressure" ? hill().neutral->P : hill().neutral->F});
      ASSERT_EQ(strips.size(), 1u);
      expectVerticesAt(p, *strips[0], expected);
    }
  }
}

}  // namespace
