// The CSV and JSON lines of a set-up.
#include "setup/report.h"

#include <charconv>
#include <cmath>

#include <nlohmann/json.hpp>

#include "setup/units.h"

namespace orowan::setup {
namespace {

// One cell: a number (NaN: empty), an integer or a text.
struct Cell {
  enum class Kind { number, integer, text, empty } kind = Kind::empty;
  double number = 0;
  long integer = 0;
  std::string text;
};

Cell num(double v) { return std::isnan(v) ? Cell{} : Cell{Cell::Kind::number, v, 0, {}}; }
Cell whole(long v) { return Cell{Cell::Kind::integer, 0, v, {}}; }
Cell word(std::string t) { return Cell{Cell::Kind::text, 0, 0, std::move(t)}; }

const std::vector<std::string>& names(const Mill& mill) {
  static const std::vector<std::string> tandem = {
      "coil", "stand", "H1", "H2", "REDUCTION", "SGB", "SGF", "U", "R", "R_FLAT", "EPS_IN", "EPS_OUT",
      "Y_MEAN", "ROLLING_FORCE", "FORCE_TOTAL", "TORQUE_TOTAL", "POWER_TOTAL", "ROLL_SPEED", "V_ENTRY",
      "V_EXIT", "FORWARD_SLIP", "status", "message", "RATIO_MISS", "SOLVES"};
  static const std::vector<std::string> reversing = [] {
    std::vector<std::string> n = tandem;
    n.insert(n.begin() + 2, "pass");
    return n;
  }();
  return mill.kind == MillKind::reversing ? reversing : tandem;
}

// A stress of the pass (kgf/mm2) in the output's units; the file's own
// typed value when the output has the file's units.
double stressOut(float analysis, float typed, const Mill& mill, Units units) {
  if (units == mill.units) return typed;
  return roundToSingle(toUnits(analysis, units));
}

double loadOut(double analysis, Units units) { return roundToSingle(toUnits(analysis, units)); }

std::vector<Cell> passCells(const Mill& mill, const Coil& coil, const SetUp& s, const PassLine& l, Units units) {
  const int i = l.pass - 1;
  const float typedSGB = i == 0 ? coil.tensionEntry : coil.tensions[i - 1];
  const float typedSGF = i == mill.passes - 1 ? coil.tensionExit : coil.tensions[i];
  std::vector<Cell> c = {word(coil.name), whole(mill.kind == MillKind::tandem ? l.pass : 1)};
  if (mill.kind == MillKind::reversing) c.push_back(whole(l.pass));
  const bool shown = s.valid();  // nothing of a set-up that failed is shown as if valid
  const auto v = [&](double x) { return shown ? num(x) : Cell{}; };
  c.push_back(v(l.H1));
  c.push_back(v(l.H2));
  c.push_back(v(roundToSingle(1.0 - double(l.H2) / double(l.H1))));
  c.push_back(num(stressOut(l.SGB, typedSGB, mill, units)));
  c.push_back(num(stressOut(l.SGF, typedSGF, mill, units)));
  c.push_back(num(l.U));
  c.push_back(num(l.R));
  c.push_back(v(l.R_FLAT));
  c.push_back(v(l.EPS_IN));
  c.push_back(v(l.EPS_OUT));
  c.push_back(v(std::isnan(l.Y_MEAN) ? NAN : loadOut(l.Y_MEAN, units)));
  c.push_back(v(std::isnan(l.ROLLING_FORCE) ? NAN : loadOut(l.ROLLING_FORCE, units)));
  c.push_back(v(loadOut(l.forceTotal, units)));
  c.push_back(v(loadOut(l.torqueTotal, units)));
  c.push_back(v(roundToSingle(l.powerTotal)));
  c.push_back(v(l.ROLL_SPEED));
  c.push_back(v(l.V_ENTRY));
  c.push_back(v(l.V_EXIT));
  c.push_back(v(l.FORWARD_SLIP));
  if (!shown) {
    c.push_back(word("no set-up"));
    c.push_back(word(s.problem));
  } else {
    c.push_back(word(statusOf(l)));
    c.push_back(word(s.limitsRespected ? "distribution moved from the asked ratios to keep every stand within its limits" : ""));
  }
  c.push_back(shown ? num(s.ratioMiss) : Cell{});
  c.push_back(whole(s.solves));
  return c;
}

// A coil that could not be read: its name, the problem, nothing else.
std::vector<Cell> problemCells(const Mill& mill, const Coil& coil) {
  std::vector<Cell> c(names(mill).size());
  c[0] = word(coil.name);
  const std::size_t status = names(mill).size() - 4;
  c[status] = word("error");
  c[status + 1] = word(coil.problem);
  return c;
}

void putCsvText(std::string& out, const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return (void)out.append(text);
  out.push_back('"');
  for (char ch : text) {
    if (ch == '"') out.push_back('"');
    out.push_back(ch);
  }
  out.push_back('"');
}

std::string cellText(const Cell& c) {
  switch (c.kind) {
    case Cell::Kind::number: return numberText(c.number);
    case Cell::Kind::integer: return std::to_string(c.integer);
    case Cell::Kind::text: return c.text;
    case Cell::Kind::empty: return "";
  }
  return "";
}

std::string line(const Mill& mill, const std::vector<Cell>& cells, Format format) {
  std::string out;
  if (format == Format::csv) {
    for (std::size_t k = 0; k < cells.size(); ++k) {
      if (k) out.push_back(',');
      putCsvText(out, cellText(cells[k]));
    }
    return out + "\n";
  }
  out.push_back('{');
  for (std::size_t k = 0; k < cells.size(); ++k) {
    if (k) out.push_back(',');
    out += nlohmann::json(names(mill)[k]).dump() + ":";
    const Cell& c = cells[k];
    const bool finite = c.kind != Cell::Kind::number || std::isfinite(c.number);
    if (c.kind == Cell::Kind::empty) out += "null";
    else if (c.kind == Cell::Kind::text || !finite)
      out += nlohmann::json(cellText(c)).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    else out += cellText(c);
  }
  return out + "}\n";
}

}  // namespace

std::vector<CoilResult> setUpMill(const Mill& mill, const SetUpOptions& options) {
  std::vector<CoilResult> results;
  for (const Coil& c : mill.coils) {
    CoilResult r;
    r.coil = &c;
    if (c.problem.empty()) r.setUp = setUpCoil(mill, c, options);
    results.push_back(std::move(r));
  }
  return results;
}

std::string numberText(double value) {
  char buffer[32];
  const auto end = std::to_chars(buffer, buffer + sizeof buffer, static_cast<float>(value)).ptr;
  return std::string(buffer, end);
}

std::string statusOf(const PassLine& l) {
  if (l.overLimits.empty()) return "ok";
  std::string s;
  for (const std::string& o : l.overLimits) s += (s.empty() ? "" : "; ") + o;
  return s;
}

std::string headerLine(const Mill& mill, Format format) {
  if (format == Format::json) return "";
  std::string out;
  for (const std::string& n : names(mill)) out += (out.empty() ? "" : ",") + n;
  return out + "\n";
}

std::string coilLines(const Mill& mill, const CoilResult& r, Units units, Format format) {
  if (!r.coil->problem.empty()) return line(mill, problemCells(mill, *r.coil), format);
  std::string out;
  for (const PassLine& l : r.setUp.lines) out += line(mill, passCells(mill, *r.coil, r.setUp, l, units), format);
  if (r.setUp.lines.empty()) {  // no thicknesses at all: one line that says why
    std::vector<Cell> c = problemCells(mill, *r.coil);
    const std::size_t status = names(mill).size() - 4;
    c[status] = word("no set-up");
    c[status + 1] = word(r.setUp.problem);
    c[status + 3] = whole(r.setUp.solves);
    out += line(mill, c, format);
  }
  return out;
}

}  // namespace orowan::setup
