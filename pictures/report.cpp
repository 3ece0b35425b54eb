#include "pictures/report.h"

#include <string>

#include "pictures/svg_writer.h"

namespace orowan::pictures {
namespace {

// Light on screen, black on white in print; sections start on a new page
// and figures and short tables are not split; step tables repeat their
// header on each printed page and are shown even when folded, in a
// type small enough for fifteen columns across a portrait page.
constexpr const char* kStyle = R"(
:root { color-scheme: light; }
body { font-family: "DejaVu Sans", Arial, Helvetica, sans-serif; color: #1a1a1a;
  background: #ffffff; max-width: 960px; margin: 1.5rem auto; padding: 0 1rem; line-height: 1.4; }
h1 { font-size: 1.6rem; margin: 0 0 0.3rem; }
h2 { font-size: 1.25rem; border-bottom: 1px solid #c8c8c8; padding-bottom: 0.2rem; }
table { border-collapse: collapse; margin: 0.5rem 0 1rem; }
header.report-header td.value { text-align: left; }
section.pass table.inputs, section.pass table.summary { display: inline-table; vertical-align: top;
  margin-right: 2.5rem; }
caption { text-align: left; font-weight: bold; padding: 0.2rem 0; }
th, td { padding: 0.15rem 0.7rem; border-bottom: 1px solid #e2e2e2; text-align: left; }
table.pass-index { font-size: 0.9rem; }
td.value, table.steps td { text-align: right; font-variant-numeric: tabular-nums; }
table.steps { font-size: 0.8rem; }
table.steps th { background: #f0f0f0; position: sticky; top: 0; text-align: right; }
figure { margin: 1rem 0; }
figure svg { max-width: 100%; height: auto; }
figcaption { font-style: italic; }
.note { font-weight: bold; color: #a00000; }
.date { color: #444444; }
details { margin: 0.4rem 0; }
summary { cursor: pointer; }
section.pass { margin-top: 2.5rem; }
footer { margin-top: 2rem; color: #666666; font-size: 0.85rem; }
@media print {
  body { max-width: none; margin: 0; padding: 0; color: #000000; background: #ffffff; }
  section.pass { break-before: page; }
  h2 { break-after: avoid; }
  figure, table.inputs, table.summary { break-inside: avoid; }
  thead { display: table-header-group; }
  tr { break-inside: avoid; }
  table.steps th { position: static; }
  table.steps { font-size: 6pt; }
  table.steps th, table.steps td { padding: 0 0.2em; }
  details::details-content { content-visibility: visible; display: block; }
}
)";

std::string esc(const std::string& text) { return escapeXml(text); }

// A table of name, value, unit rows; nothing when there are no rows.
void appendRows(std::string& out, const std::vector<Row>& rows, const std::string& cls,
                const std::string& caption) {
  if (rows.empty()) return;
  out += "<table class=\"" + cls + "\">\n<caption>" + esc(caption) + "</caption>\n<tbody>\n";
  for (const Row& row : rows) {
    out += "<tr><th scope=\"row\">" + esc(row.name) + "</th><td class=\"value\">" +
           esc(row.value) + "</td><td class=\"unit\">" + esc(row.unit) + "</td></tr>\n";
  }
  out += "</tbody>\n</table>\n";
}

// A step table folded away in <details>, one row per step.
void appendStepTable(std::string& out, const StepTable& table) {
  out += "<details class=\"steps\">\n<summary>" + esc(table.caption) + " (" +
         std::to_string(table.rows.size()) + (table.rows.size() == 1 ? " step" : " steps") +
         ")</summary>\n<table class=\"steps\">\n<thead>\n<tr>";
  for (const std::string& column : table.columns) out += "<th scope=\"col\">" + esc(column) + "</th>";
  out += "</tr>\n</thead>\n<tbody>\n";
  for (const auto& row : table.rows) {
    out += "<tr>";
    for (const std::string& cell : row) out.append("<td>").append(esc(cell)).append("</td>");
    out += "</tr>\n";
  }
  out += "</tbody>\n</table>\n</details>\n";
}

}  // namespace

std::string passSectionBody(const PassReport& pass) {
  std::string out = "<h2>" + esc(pass.heading) + "</h2>\n";
  if (!pass.note.empty()) out += "<p class=\"note\">" + esc(pass.note) + "</p>\n";
  appendRows(out, pass.inputs, "inputs", "Inputs");
  appendRows(out, pass.summary, "summary", "Results");
  if (pass.hill) {
    out += "<figure class=\"hill-figure\">\n" + frictionHillSvg(*pass.hill, Embedding::inlineHtml) +
           "</figure>\n";
  }
  for (const StepTable& table : pass.steps) appendStepTable(out, table);
  return out;
}

void ReportWriter::begin(const ReportHeader& header) {
  out_ << "<!DOCTYPE html>\n<html lang=\"" << esc(header.language) << "\">\n<head>\n"
       << "<meta charset=\"UTF-8\"/>\n"
       << "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\"/>\n"
       << "<title>" << esc(header.title) << "</title>\n<style>" << kStyle << "</style>\n"
       << "</head>\n<body>\n<header class=\"report-header\">\n<h1>" << esc(header.title)
       << "</h1>\n";
  if (!header.date.empty()) out_ << "<p class=\"date\">" << esc(header.date) << "</p>\n";
  std::string inputs;
  appendRows(inputs, header.inputs, "inputs", "Inputs");
  out_ << inputs << "</header>\n<main>\n";
}

void ReportWriter::indexPasses(std::vector<std::string> columns, std::iostream& rows) {
  indexColumns_ = std::move(columns);
  indexRows_ = &rows;
}

// The index before everything else of the main part, once; an empty spool
// is not copied (it would set failbit on the page's stream).
void ReportWriter::writeIndex() {
  if (indexRows_ == nullptr || indexWritten_) return;
  indexWritten_ = true;
  out_ << "<section class=\"pass-index\">\n<h2>Passes</h2>\n<table class=\"pass-index\">\n<thead>\n<tr>"
       << "<th scope=\"col\">pass</th>";
  for (const std::string& column : indexColumns_) out_ << "<th scope=\"col\">" << esc(column) << "</th>";
  out_ << "</tr>\n</thead>\n<tbody>\n";
  if (passes_ > 0) {
    indexRows_->flush();
    indexRows_->seekg(0);
    out_ << indexRows_->rdbuf();
  }
  out_ << "</tbody>\n</table>\n</section>\n";
}

void ReportWriter::passSection(std::string_view body, std::string_view heading, const std::vector<std::string>& cells) {
  passSection(body);
  if (indexRows_ == nullptr) return;
  *indexRows_ << "<tr><td><a href=\"#pass-" << passes_ << "\">" << esc(std::string(heading)) << "</a></td>";
  for (const std::string& cell : cells) *indexRows_ << "<td class=\"value\">" << esc(cell) << "</td>";
  *indexRows_ << "</tr>\n";
}

void ReportWriter::chart(const Chart& chart, const std::string& caption) {
  writeIndex();
  if (!chartsOpen_) out_ << "<section class=\"charts\">\n<h2>Charts</h2>\n";
  chartsOpen_ = true;
  out_ << "<figure class=\"chart-figure\">\n" << chartSvg(chart, Embedding::inlineHtml);
  if (!caption.empty()) out_ << "<figcaption>" << esc(caption) << "</figcaption>\n";
  out_ << "</figure>\n";
}

void ReportWriter::closeCharts() {
  if (chartsOpen_) out_ << "</section>\n";
  chartsOpen_ = false;
}

void ReportWriter::passSection(std::string_view body) {
  std::ostream& to = spool_ ? *spool_ : out_;
  if (!spool_) closeCharts();
  to << "<section class=\"pass\" id=\"pass-" << std::to_string(++passes_) << "\">\n"
     << body << "</section>\n";
}

// With a spool, its sections follow the charts (an empty spool would set
// failbit on the page's stream, so it is copied only when it holds any).
void ReportWriter::end() {
  writeIndex();
  closeCharts();
  if (spool_ && passes_ > 0) {
    spool_->flush();
    spool_->seekg(0);
    out_ << spool_->rdbuf();
  }
  out_ << "</main>\n<footer>\n<p>" << std::to_string(passes_)
       << (passes_ == 1 ? " pass" : " passes")
       << " in this report.</p>\n</footer>\n</body>\n</html>\n";
}

}  // namespace orowan::pictures
