// A self-contained HTML5 report, written as it goes: the page head and
// header, optional charts, then one <section> per pass, then the end. It
// holds nothing of the passes already written, so a run of thousands of
// passes streams through in constant memory.
//
//   ReportWriter report(file);
//   report.begin({"Rolling passes", "2024-05-01 10:00", {{"passes", "3", ""}}});
//   report.chart(sweep, "Rolling force against friction");   // any number
//   for (...) report.pass(section);                           // one per pass
//   report.end();
//
// The page has inline CSS and inline SVG only: no script, no external
// stylesheet, font, image or link, so it works offline. Every text is
// escaped. The markup is well-formed XML as well as HTML5 (void elements
// are closed with "/>"), so tests may read it with an XML reader.
//
// Passes may also be rendered on several threads (passSectionBody) and
// handed over in order (passSection); and when the charts can only be
// drawn after every pass, a spool (a temporary file) holds the pass
// sections until end() copies them after the charts:
//
//   ReportWriter report(file, spool);   // begin(); pass()...; chart()...; end()
//
// Structure, with class names for tests and tools: header.report-header
// (h1, p.date, table.inputs); with indexPasses, section.pass-index (table
// with one tr a pass, its first cell a link to "#pass-N"); section.charts with figure.chart-figure
// (holding svg.chart); per pass section.pass (id "pass-N", N from 1) with
// h2, p.note, table.inputs, table.summary, figure.hill-figure (holding
// svg.friction-hill), and one details.steps per step
// table holding table.steps (thead with the column headers, tbody with one
// tr per step); footer.
#pragma once

#include <istream>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "pictures/chart.h"
#include "pictures/friction_hill.h"

namespace orowan::pictures {

// One row of an inputs or summary table: name, value and unit as texts.
struct Row {
  std::string name, value, unit;
};

// A step table of a march, folded away in <details>: captions like
// "Exit march, every step"; one row per step, cells as texts.
struct StepTable {
  std::string caption;
  std::vector<std::string> columns;
  std::vector<std::vector<std::string>> rows;
};

struct ReportHeader {
  std::string title;
  std::string date;         // as the caller wants it shown
  std::vector<Row> inputs;  // the run's inputs
  std::string language = "en";
};

struct PassReport {
  std::string heading;  // e.g. "Pass 3: R 100 mm, H1 2 → H2 1.5 mm"
  std::string note;     // shown in bold when not empty, e.g. a fault
  std::vector<Row> inputs;
  std::vector<Row> summary;            // results, e.g. {"rolling force", "185.49", "t/m"}
  const FrictionHill* hill = nullptr;  // drawn when given; read during pass() only
  std::vector<StepTable> steps;
};

// The inside of a pass's <section> as pass() writes it, from the heading
// to the step tables. Reentrant.
std::string passSectionBody(const PassReport& pass);

class ReportWriter {
 public:
  explicit ReportWriter(std::ostream& out) : out_(out) {}
  // Pass sections go to `spool` (readable and writable, e.g. a temporary
  // file) and end() copies them after the charts, so charts given after
  // the passes still come first on the page.
  ReportWriter(std::ostream& out, std::iostream& spool) : out_(out), spool_(&spool) {}

  // The doctype, head (title, stylesheet) and the page header.
  void begin(const ReportHeader& header);
  // A chart with an optional caption; charts come before the passes
  // (with a spool, at any time).
  void chart(const Chart& chart, const std::string& caption = {});
  // One pass as its own section.
  void pass(const PassReport& pass) { passSection(passSectionBody(pass)); }
  // One pass from its passSectionBody() text, numbered in the order given.
  void passSection(std::string_view body);

  // An index of the passes first on the page (before the charts and the
  // sections): one row a pass, its heading linked to its section, then
  // `cells` under `columns`. Its rows wait in `rows` (readable and
  // writable, e.g. a temporary file); needs the writer with a spool, so
  // that the sections come after it. Call before the first pass.
  void indexPasses(std::vector<std::string> columns, std::iostream& rows);
  // A pass section and its row of the index.
  void passSection(std::string_view body, std::string_view heading, const std::vector<std::string>& cells);
  // Closes the page (after the spooled passes); takes nothing after this.
  void end();

 private:
  void closeCharts();
  void writeIndex();

  std::ostream& out_;
  std::iostream* spool_ = nullptr;
  std::iostream* indexRows_ = nullptr;
  std::vector<std::string> indexColumns_;
  bool indexWritten_ = false;
  int passes_ = 0;
  bool chartsOpen_ = false;
};

}  // namespace orowan::pictures
