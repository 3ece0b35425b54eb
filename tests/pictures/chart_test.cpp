// Sweep and log-log charts read back from their SVG: each series's
// vertices map back to its drawable points, gaps split the curve, the axes
// cover the points, the legend names every series and covers no curve.
#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "testing/sample_passes.h"
#include "pictures/layout.h"
#include "pictures/plot.h"
#include "svg_check.h"

namespace pics = orowan::pictures;
using svgcheck::Element;
using svgcheck::findAll;
using svgcheck::findOne;

namespace {

struct ChartCase {
  const char* name;
  pics::Chart chart;
};

void PrintTo(const ChartCase& c, std::ostream* os) { *os << c.name; }

pics::Chart singleCurve() {
  pics::Chart chart = orowan::testing::sweepChart();
  chart.series.resize(1);
  chart.title = "one curve";
  return chart;
}

// Twelve zigzags over the whole plot: no room inside for the legend.
pics::Chart crowded() {
  pics::Chart chart;
  chart.title = "crowded";
  for (int s = 0; s < 12; ++s) {
    pics::Series series{"series " + std::to_string(s), {}, {}};
    for (int i = 0; i <= 60; ++i) {
      series.x.push_back(i);
      series.y.push_back((i + s) % 2 == 0 ? -1.0 : 1.0);
    }
    chart.series.push_back(series);
  }
  return chart;
}

std::vector<ChartCase> cases() {
  return {{"sweep", orowan::testing::sweepChart()},
          {"log_log", orowan::testing::convergenceChart()},
          {"single", singleCurve()},
          {"crowded", crowded()}};
}

bool drawable(pics::ScaleKind kind, double v) {
  return std::isfinite(v) && (kind == pics::ScaleKind::linear || v > 0);
}

class ChartTest : public testing::TestWithParam<ChartCase> {
 protected:
  void SetUp() override { svg = xmlcheck::parseXml(pics::chartSvg(chart())); }
  const pics::Chart& chart() const { return GetParam().chart; }
  bool drawablePoint(const pics::Series& s, std::size_t i) const {
    return drawable(chart().xScale, s.x[i]) && drawable(chart().yScale, s.y[i]);
  }
  const Element& panel() const { return findOne(svg, "panel"); }
  Element svg;
};

TEST_P(ChartTest, EachSeriesHasOneVertexPerDrawablePointAndGapsElsewhere) {
  svgcheck::Scale x = svgcheck::axisScale(panel(), 'x'), y = svgcheck::axisScale(panel(), 'y');
  EXPECT_EQ(x.logarithmic, chart().xScale == pics::ScaleKind::logarithmic);
  EXPECT_EQ(y.logarithmic, chart().yScale == pics::ScaleKind::logarithmic);
  for (std::size_t k = 0; k < chart().series.size(); ++k) {
    const pics::Series& s = chart().series[k];
    auto runs = svgcheck::pathRuns(findOne(panel(), "curve s" + std::to_string(k)));
    svgcheck::Run drawn = svgcheck::vertices(runs);
    std::size_t next = 0, stretches = 0;
    for (std::size_t i = 0; i < s.x.size(); ++i) {
      if (!drawablePoint(s, i)) continue;
      if (i == 0 || !drawablePoint(s, i - 1)) ++stretches;
      ASSERT_LT(next, drawn.size()) << "series " << k;
      EXPECT_NEAR(drawn[next].x, x.toPixel(s.x[i]), 0.5) << "series " << k << " point " << i;
      EXPECT_NEAR(drawn[next].y, y.toPixel(s.y[i]), 0.5) << "series " << k << " point " << i;
      ++next;
    }
    EXPECT_EQ(next, drawn.size()) << "series " << k;
    EXPECT_EQ(runs.size(), stretches) << "series " << k;
  }
}

TEST_P(ChartTest, AxesCoverTheDrawablePoints) {
  auto tx = svgcheck::ticks(panel(), 'x'), ty = svgcheck::ticks(panel(), 'y');
  for (const pics::Series& s : chart().series) {
    for (std::size_t i = 0; i < s.x.size(); ++i) {
      if (!drawablePoint(s, i)) continue;
      EXPECT_LE(tx.front().value, s.x[i]);
      EXPECT_GE(tx.back().value, s.x[i]);
      EXPECT_LE(ty.front().value, s.y[i]);
      EXPECT_GE(ty.back().value, s.y[i]);
    }
  }
}

TEST_P(ChartTest, LegendNamesEachSeriesAndCoversNoCurve) {
  auto entries = findAll(panel(), "legend-entry");
  ASSERT_EQ(entries.size(), chart().series.size());
  svgcheck::Box box = svgcheck::rectBox(findOne(panel(), "legend-box"));
  EXPECT_LE(box.x1, svg.number("width"));
  for (std::size_t k = 0; k < entries.size(); ++k) {
    EXPECT_EQ(entries[k]->allText(), chart().series[k].name);
    auto curve = svgcheck::pathRuns(findOne(panel(), "curve s" + std::to_string(k)));
    EXPECT_FALSE(svgcheck::crosses(curve, box)) << "series " << k;
  }
}

// Up to eight series, no two share both colour and dash pattern, and each
// marks its drawn points (all of them when there are few).
TEST_P(ChartTest, SeriesAreToldApart) {
  std::set<std::pair<std::string, std::string>> styles;
  for (std::size_t k = 0; k < chart().series.size() && k < 8; ++k) {
    const Element& curve = findOne(panel(), "curve s" + std::to_string(k));
    styles.emplace(*curve.attribute("stroke"), *curve.attribute("stroke-dasharray"));
    std::size_t points = svgcheck::vertexCount(svgcheck::pathRuns(curve));
    if (points <= 40) {
      EXPECT_EQ(findAll(panel(), "marker s" + std::to_string(k)).size(), points);
    }
  }
  EXPECT_EQ(styles.size(), std::min<std::size_t>(chart().series.size(), 8));
}

INSTANTIATE_TEST_SUITE_P(Charts, ChartTest, testing::ValuesIn(cases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Chart, LogAxesAreLabelledInDecades) {
  Element svg = xmlcheck::parseXml(pics::chartSvg(orowan::testing::convergenceChart()));
  for (char axis : {'x', 'y'}) {
    for (const svgcheck::Tick& tick : svgcheck::ticks(svg, axis)) {
      EXPECT_TRUE(svgcheck::isDecadeLabel(tick.label)) << tick.label;
    }
  }
  EXPECT_EQ(svgcheck::ticks(svg, 'x').front().value, 10);
  EXPECT_EQ(svgcheck::ticks(svg, 'x').back().value, 10000);
}

TEST(Chart, LegendGoesOutsideWhenThePlotIsFull) {
  Element svg = xmlcheck::parseXml(pics::chartSvg(crowded()));
  svgcheck::Box legend = svgcheck::rectBox(findOne(svg, "legend-box"));
  svgcheck::Box area = svgcheck::rectBox(findOne(svg, "plot-area"));
  EXPECT_GT(legend.x0, area.x1);
  EXPECT_GT(svg.number("width"), 800);
}

TEST(Chart, NothingDrawableIsSaid) {
  pics::Chart chart = orowan::testing::convergenceChart();
  for (pics::Series& s : chart.series) s.y.assign(s.y.size(), 0.0);  // nothing positive
  Element svg = xmlcheck::parseXml(pics::chartSvg(chart));
  EXPECT_EQ(findOne(svg, "note").allText(), "No values to draw");
  EXPECT_EQ(svgcheck::vertexCount(svgcheck::pathRuns(findOne(svg, "curve s0"))), 0u);
}

}  // namespace

namespace {

// A subtitle longer than the picture is wide wraps at blanks onto lines
// that stay inside the picture (by the library's own text width) and
// above the plot, for a chart and a friction hill alike.
TEST(Chart, LongSubtitlesWrapAboveThePlot) {
  const std::string subtitle =
      "line 2: R 100 mm, H1 2 → H2 1.5 mm, Y 20 kgf/mm², SGF 0 kgf/mm²; curves for 8 of the 50 "
      "values of SGB; 37 of 320 passes without a value";
  pics::Chart chart = orowan::testing::sweepChart();
  chart.subtitle = subtitle;
  pics::FrictionHill hill = orowan::testing::typicalPass();
  hill.subtitle = subtitle;
  for (const std::string& svg : {pics::chartSvg(chart), pics::frictionHillSvg(hill)}) {
    const Element root = xmlcheck::parseXml(svg);
    const auto lines = findAll(root, "subtitle");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0]->allText() + " " + lines[1]->allText(), subtitle);
    EXPECT_LT(lines[0]->number("y"), lines[1]->number("y"));
    const double top = svgcheck::rectBox(*findAll(root, "plot-area").at(0)).y0;
    EXPECT_LT(lines[1]->number("y"), top - 10);
    for (const Element* line : lines) {
      EXPECT_LE(pics::textWidth(line->allText(), pics::kTextFont), root.number("width") - 40);
    }
  }
}

}  // namespace

namespace {

// Titles and subtitles wrapped at every width from far too narrow to wide
// enough: the words come back in order, a line is no wider than asked
// unless it is a single word, and a line ends inside an item of the list
// ("Y 245.166 MPa") only when that item alone is wider than the line.
TEST(Chart, WrappedTitlesKeepEachItemWhole) {
  const std::vector<std::string> texts = {
      "No neutral point: R 100 mm, H1 2 → H2 1.5 mm, Y 245.166 MPa, SGB 0 MPa, SGF 98.0665 MPa, U 0.1",
      "line 2, case 3 of 12: U 0.15, SGB 5; roll radius R 100 mm, drawn over the flattened arc, R′ 104.3 mm",
      "Rolling force against U, one curve per SGB",
      "",
  };
  for (const std::string& text : texts) {
    std::vector<std::string> items;  // the list's items, each ending at ", " "; " or ": "
    std::size_t start = 0;
    for (std::size_t k = 0; k < text.size(); ++k) {
      if ((text[k] == ',' || text[k] == ';' || text[k] == ':') && k + 1 < text.size() && text[k + 1] == ' ') {
        items.push_back(text.substr(start, k + 1 - start));
        start = k + 2;
      }
    }
    items.push_back(text.substr(start));
    for (double width = 40; width <= 900; width += 7) {
      const auto lines = pics::wrapText(text, width, pics::kTitleFont);
      std::string joined;
      for (const std::string& line : lines) {
        joined += (joined.empty() ? "" : " ") + line;
        if (line.find(' ') != std::string::npos) EXPECT_LE(pics::textWidth(line, pics::kTitleFont), width) << line;
      }
      ASSERT_EQ(joined, text) << width;
      // Every line but the last ends at an item's end unless the item it
      // ends in is too wide for a line of its own.
      std::size_t at = 0;
      for (std::size_t l = 0; l + 1 < lines.size(); ++l) {
        at += lines[l].size();
        std::size_t end = 0;
        const std::string* item = nullptr;
        for (const std::string& candidate : items) {
          end += candidate.size();
          if (end >= at) {
            item = &candidate;
            break;
          }
          ++end;  // the blank after it
        }
        ASSERT_NE(item, nullptr);
        if (end != at) {
          EXPECT_GT(pics::textWidth(*item, pics::kTitleFont), width)
              << "width " << width << ": \"" << lines[l] << "\" ends inside \"" << *item << "\"";
        }
        ++at;  // the blank between the lines
      }
    }
  }
}

}  // namespace
