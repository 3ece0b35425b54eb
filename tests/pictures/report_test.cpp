// The HTML report read back as XML: page head, one section per pass in
// order with its step tables row by row, its friction hill, escaped texts,
// nothing external, and each pass written out as soon as it is given.
#include <gtest/gtest.h>

#include <set>
#include <sstream>

#include "testing/sample_passes.h"
#include "svg_check.h"

namespace pics = orowan::pictures;
using svgcheck::Element;
using svgcheck::findAll;
using svgcheck::findOne;

namespace {

// The sample report: two charts and the typical, sticking, no-neutral and
// tension passes, in that order.
const std::string& sampleHtml() {
  static const std::string html = [] {
    std::ostringstream out;
    orowan::testing::writeSampleReport(out);
    return out.str();
  }();
  return html;
}

const std::vector<pics::FrictionHill>& samplePasses() {
  using namespace orowan::testing;
  static const std::vector<pics::FrictionHill> passes = {typicalPass(), stickingPass(),
                                                         noNeutralPass(), tensionPass()};
  return passes;
}

std::vector<const Element*> byName(const Element& root, const std::string& name) {
  std::vector<const Element*> out;
  if (root.name == name) out.push_back(&root);
  for (const Element& child : root.children) {
    for (const Element* e : byName(child, name)) out.push_back(e);
  }
  return out;
}

void collectAttributes(const Element& e, std::vector<std::pair<std::string, std::string>>& out) {
  out.insert(out.end(), e.attributes.begin(), e.attributes.end());
  for (const Element& child : e.children) collectAttributes(child, out);
}

TEST(Report, PageHasLanguageCharsetAndEscapedTitle) {
  ASSERT_EQ(sampleHtml().rfind("<!DOCTYPE html>\n", 0), 0u);
  Element html = xmlcheck::parseXml(sampleHtml());
  EXPECT_EQ(html.name, "html");
  EXPECT_EQ(*html.attribute("lang"), "en");
  const Element& head = *byName(html, "head").at(0);
  EXPECT_EQ(*byName(head, "meta").at(0)->attribute("charset"), "UTF-8");
  EXPECT_EQ(byName(head, "title").at(0)->allText(), "Sample passes <&> \"pictures\"");
  EXPECT_EQ(findOne(html, "report-header").children.at(0).allText(),
            "Sample passes <&> \"pictures\"");
}

TEST(Report, OneSectionPerPassWithEveryStepInItsTables) {
  Element html = xmlcheck::parseXml(sampleHtml());
  auto sections = findAll(html, "pass");
  ASSERT_EQ(sections.size(), samplePasses().size());
  for (std::size_t k = 0; k < sections.size(); ++k) {
    const pics::FrictionHill& hill = samplePasses()[k];
    EXPECT_EQ(*sections[k]->attribute("id"), "pass-" + std::to_string(k + 1));
    EXPECT_EQ(byName(*sections[k], "h2").at(0)->allText(),
              "Pass " + std::to_string(k + 1) + ": " + hill.title);
    auto details = byName(*sections[k], "details");
    ASSERT_EQ(details.size(), 2u);
    const pics::MarchSteps* marches[] = {&hill.exitMarch, &hill.entryMarch};
    for (int m = 0; m < 2; ++m) {
      const Element& table = *byName(*details[m], "table").at(0);
      auto headers = byName(*byName(table, "thead").at(0), "th");
      ASSERT_EQ(headers.size(), 5u);
      EXPECT_EQ(headers[0]->allText(), "X");
      const Element& body = *byName(table, "tbody").at(0);
      ASSERT_EQ(body.children.size(), marches[m]->X.size());
      for (const Element& row : body.children) ASSERT_EQ(row.children.size(), 5u);
    }
  }
}

TEST(Report, EachPassShowsItsFrictionHill) {
  Element html = xmlcheck::parseXml(sampleHtml());
  auto sections = findAll(html, "pass");
  for (std::size_t k = 0; k < sections.size(); ++k) {
    const pics::FrictionHill& hill = samplePasses()[k];
    const Element& svg = findOne(*sections[k], "friction-hill");
    const Element& pressure = findOne(svg, "panel pressure");
    auto markers = findAll(pressure, "neutral");
    if (!hill.neutral) {
      EXPECT_TRUE(markers.empty());
      EXPECT_EQ(findAll(*sections[k], "note").size(), 2u);  // the section's and the picture's
      continue;
    }
    ASSERT_EQ(markers.size(), 1u);
    EXPECT_NEAR(markers[0]->number("cx"),
                svgcheck::axisScale(pressure, 'x').toPixel(hill.neutral->X), 0.5);
    EXPECT_NEAR(markers[0]->number("cy"),
                svgcheck::axisScale(pressure, 'y').toPixel(hill.neutral->P), 0.5);
  }
  EXPECT_EQ(findAll(findOne(html, "charts"), "chart").size(), 2u);
}

TEST(Report, NothingExternalNoScriptUniqueIds) {
  Element html = xmlcheck::parseXml(sampleHtml());
  for (const char* name : {"script", "link", "img", "iframe", "object", "embed", "base"}) {
    EXPECT_TRUE(byName(html, name).empty()) << name;
  }
  std::vector<std::pair<std::string, std::string>> attributes;
  collectAttributes(html, attributes);
  std::set<std::string> ids;
  for (const auto& [name, value] : attributes) {
    EXPECT_NE(name, "src");
    EXPECT_NE(name, "href");
    if (name == "id") {
      EXPECT_TRUE(ids.insert(value).second) << "repeated id " << value;
    }
    if (name != "xmlns") {
      EXPECT_EQ(value.find("://"), std::string::npos) << name << "=" << value;
    }
  }
  std::string style = byName(html, "style").at(0)->allText();
  EXPECT_EQ(style.find("@import"), std::string::npos);
  EXPECT_EQ(style.find("url("), std::string::npos);
  EXPECT_EQ(sampleHtml().find("<?xml"), std::string::npos);
}

TEST(Report, WritesEachPassAsItIsGiven) {
  std::ostringstream out;
  pics::ReportWriter report(out);
  report.begin({"streamed", "", {}});
  {
    pics::FrictionHill hill = orowan::testing::tensionPass();
    pics::PassReport pass = orowan::testing::passReport(hill, "first");
    report.pass(pass);
  }  // the hill is gone: the section must already be written
  std::string sofar = out.str();
  EXPECT_NE(sofar.find("<h2>first</h2>"), std::string::npos);
  EXPECT_NE(sofar.rfind("</section>\n"), std::string::npos);
  EXPECT_EQ(sofar.find("</html>"), std::string::npos);
  pics::PassReport faulted;
  faulted.heading = "second";
  faulted.note = "run-time error M6201: MATH - sqrt: DOMAIN error";
  report.pass(faulted);
  report.end();
  Element html = xmlcheck::parseXml(out.str());
  auto sections = findAll(html, "pass");
  ASSERT_EQ(sections.size(), 2u);
  EXPECT_EQ(findOne(*sections[1], "note").allText(), faulted.note);
  EXPECT_TRUE(byName(*sections[1], "svg").empty());
}

}  // namespace

namespace {

// Rendered elsewhere (another thread) or spooled until the charts are
// known: the same sections, numbered in the order given, and with a spool
// the charts given after the passes still come first on the page.
TEST(Report, RenderedAndSpooledPassesKeepTheirOrder) {
  const std::vector<pics::FrictionHill>& hills = samplePasses();
  std::ostringstream direct, page;
  std::stringstream spool;
  pics::ReportWriter plain(direct), spooled(page, spool);
  plain.begin({"passes", "", {}});
  spooled.begin({"passes", "", {}});
  for (std::size_t k = 0; k < hills.size(); ++k) {
    pics::PassReport pass = orowan::testing::passReport(hills[k], "pass " + std::to_string(k));
    plain.pass(pass);
    spooled.passSection(pics::passSectionBody(pass));
  }
  spooled.chart(orowan::testing::sweepChart(), "after the passes");
  plain.end();
  spooled.end();
  Element a = xmlcheck::parseXml(direct.str()), b = xmlcheck::parseXml(page.str());
  const Element& main = *byName(b, "main").at(0);
  ASSERT_EQ(main.children.size(), hills.size() + 1);
  EXPECT_TRUE(main.children[0].hasClass("charts"));
  auto plainSections = findAll(a, "pass"), spooledSections = findAll(b, "pass");
  ASSERT_EQ(spooledSections.size(), hills.size());
  for (std::size_t k = 0; k < hills.size(); ++k) {
    EXPECT_EQ(*spooledSections[k]->attribute("id"), "pass-" + std::to_string(k + 1));
    EXPECT_EQ(spooledSections[k]->allText(), plainSections[k]->allText());
  }
  EXPECT_NE(page.str().find(std::to_string(hills.size()) + " passes in this report"),
            std::string::npos);
}

// An empty spool leaves a page that still ends properly.
TEST(Report, EmptySpoolEndsThePage) {
  std::ostringstream page;
  std::stringstream spool;
  pics::ReportWriter report(page, spool);
  report.begin({"nothing", "", {}});
  report.end();
  EXPECT_TRUE(page.good());
  EXPECT_NE(page.str().find("0 passes in this report.</p>\n</footer>\n</body>\n</html>\n"),
            std::string::npos);
  EXPECT_NO_THROW(xmlcheck::parseXml(page.str()));
}

}  // namespace
