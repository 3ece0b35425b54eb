// Round ticks and number texts: the ticks cover the data with a 1-2-5 step,
// labels tell them apart, and numbers never print as -0, NaN or exponents.
#include "pictures/axis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "pictures/svg_writer.h"

namespace pics = orowan::pictures;

namespace {

struct LinearCase {
  double min, max;
  int intervals;
  std::vector<std::string> labels;
};

TEST(Axis, LinearTicksAreRoundAndCoverTheData) {
  const LinearCase cases[] = {
      {22.75, 59, 8, {"20", "25", "30", "35", "40", "45", "50", "55", "60"}},
      {0, 74, 6, {"0", "20", "40", "60", "80"}},
      {-20, 45, 6, {"−20", "0", "20", "40", "60"}},
      {2950, 21000, 8, {"0", "5000", "10000", "15000", "20000", "25000"}},
      {0.05, 0.3, 10, {"0.05", "0.10", "0.15", "0.20", "0.25", "0.30"}},
      {25, 25, 8, {"22", "23", "24", "25", "26", "27", "28"}},  // all equal: widened by 10 %
      {0, 0, 8, {"−1.0", "−0.5", "0.0", "0.5", "1.0"}},
      {1.2e7, 4.1e7, 4, {"1×10⁷", "2×10⁷", "3×10⁷", "4×10⁷", "5×10⁷"}},
      {-3e-6, 2e-6, 5, {"−3×10⁻⁶", "−2×10⁻⁶", "−1×10⁻⁶", "0", "1×10⁻⁶", "2×10⁻⁶"}},
  };
  for (const LinearCase& c : cases) {
    pics::Extent e;
    e.add(c.min);
    e.add(c.max);
    pics::Axis axis = pics::linearAxis(e, c.intervals);
    EXPECT_EQ(axis.labels, c.labels) << c.min << " to " << c.max;
    EXPECT_LE(axis.ticks.front(), c.min);
    EXPECT_GE(axis.ticks.back(), c.max);
  }
}

TEST(Axis, HeadroomAddsTicksOnTop) {
  pics::Extent e;
  e.add(0);
  e.add(74);
  pics::Axis axis = pics::extendedTop(pics::linearAxis(e, 6), 2);
  EXPECT_EQ(axis.labels, (std::vector<std::string>{"0", "20", "40", "60", "80", "100", "120"}));
}

TEST(Axis, LogTicksAreDecadesAroundTheData) {
  pics::Extent e;
  e.add(3.1e-7);
  e.add(0.033);
  pics::Axis axis = pics::logAxis(e);
  EXPECT_EQ(axis.labels,
            (std::vector<std::string>{"10⁻⁷", "10⁻⁶", "10⁻⁵", "10⁻⁴", "10⁻³", "10⁻²", "10⁻¹"}));
  EXPECT_EQ(axis.minorTicks.size(), 6u * 8u);
  e.add(1e9);  // sixteen decades: every second one labelled, no minor ticks
  axis = pics::logAxis(e);
  EXPECT_EQ(axis.labels.front(), "10⁻⁷");
  EXPECT_EQ(axis.labels[1], "10⁻⁵");
  EXPECT_EQ(axis.labels.back(), "10⁹");
  EXPECT_TRUE(axis.minorTicks.empty());
}

TEST(Axis, ValuesInLabelsKeepTheirDigits) {
  const std::pair<double, const char*> cases[] = {
      {2.28, "2.28"},           {31.434, "31.43"},        {-2, "−2.00"},     {0, "0.00"},
      {0.0123, "0.0123"},       {0.00045, "0.000450"},    {8000, "8000.00"}, {2e30, "2.000×10³⁰"},
      {-1e-30, "−1.000×10⁻³⁰"}, {9.99996e9, "1.000×10¹⁰"}};
  for (auto [value, text] : cases) EXPECT_EQ(pics::valueText(value), text) << value;
}

TEST(SvgWriter, NumbersAreCompactAndFinite) {
  const std::pair<double, const char*> cases[] = {{0, "0"},
                                                  {-0.0, "0"},
                                                  {-0.004, "0"},
                                                  {12.5, "12.5"},
                                                  {3.14159, "3.14"},
                                                  {-2.5, "-2.5"},
                                                  {1e6, "1000000"},
                                                  {99.999, "100"},
                                                  {std::numeric_limits<double>::quiet_NaN(), "0"},
                                                  {std::numeric_limits<double>::infinity(), "0"}};
  for (auto [value, text] : cases) EXPECT_EQ(pics::num(value), text) << value;
}

TEST(SvgWriter, MarkupIsEscaped) {
  pics::SvgWriter svg;
  svg.open("g", {{"class", "a\"b<c>&'"}});
  svg.text("text", {}, "R < 5 & H1 → H2");
  EXPECT_EQ(
      svg.take(),
      "<g class=\"a&quot;b&lt;c&gt;&amp;&#39;\">\n<text>R &lt; 5 &amp; H1 → H2</text>\n</g>\n");
}

}  // namespace
