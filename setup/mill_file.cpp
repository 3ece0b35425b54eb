// The TOML file to a Mill, with toml++: every key checked for its type,
// its bounds and its place; unknown keys are problems, not ignored.
#include "setup/mill_file.h"

#include <cmath>
#include <fstream>
#include <set>
#include <sstream>

#include <toml++/toml.h>

#include "passes/request.h"

namespace orowan::setup {
namespace {

// A problem at the key `key` of the node `at`.
struct Problem : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// "FILE:LINE: key KEY: WHAT".
std::string where(const std::string& file, const toml::source_region& region, std::string_view key,
                  std::string_view what) {
  return file + ":" + std::to_string(region.begin.line) + ": key " + std::string(key) + ": " +
         std::string(what);
}

// Reads the keys of one table: each known key once, the rest a problem.
class TableReader {
 public:
  TableReader(const toml::table& table, std::string file, std::string prefix)
      : table_(table), file_(std::move(file)), prefix_(std::move(prefix)) {}

  [[noreturn]] void fail(std::string_view key, const toml::source_region& at, std::string_view what) const {
    throw Problem(where(file_, at, prefix_ + std::string(key), what));
  }
  [[noreturn]] void fail(std::string_view key, std::string_view what) const {
    const toml::node* n = table_.get(key);
    fail(key, n ? n->source() : table_.source(), what);
  }

  const toml::node* node(std::string_view key) {
    known_.insert(std::string(key));
    return table_.get(key);
  }

  // A number (integer or float) as the single value a typed number is.
  std::optional<float> number(std::string_view key) {
    const toml::node* n = node(key);
    if (n == nullptr) return std::nullopt;
    return single(key, *n);
  }
  float single(std::string_view key, const toml::node& n) const {
    double v;
    if (auto f = n.value_exact<double>()) v = *f;
    else if (auto i = n.value_exact<int64_t>()) v = double(*i);
    else fail(key, n.source(), "expected a number");
    const float s = static_cast<float>(v);
    if (!std::isfinite(s)) fail(key, n.source(), "expected a number within the single-precision range");
    return s;
  }
  float required(std::string_view key) {
    std::optional<float> v = number(key);
    if (!v) fail(key, table_.source(), "missing");
    return *v;
  }
  float positive(std::string_view key) {
    const float v = required(key);
    if (!(v > 0)) fail(key, "must be above 0, found " + text(v));
    return v;
  }
  float nonNegative(std::string_view key, float otherwise) {
    const std::optional<float> v = number(key);
    if (v && !(*v >= 0)) fail(key, "must not be negative, found " + text(*v));
    return v.value_or(otherwise);
  }
  std::optional<float> optionalPositive(std::string_view key) {
    const std::optional<float> v = number(key);
    if (v && !(*v > 0)) fail(key, "must be above 0, found " + text(*v));
    return v;
  }
  std::optional<std::string> word(std::string_view key) {
    const toml::node* n = node(key);
    if (n == nullptr) return std::nullopt;
    if (auto s = n->value_exact<std::string>()) return *s;
    fail(key, n->source(), "expected a string");
  }
  std::vector<float> numbers(std::string_view key) {
    const toml::node* n = node(key);
    if (n == nullptr) fail(key, table_.source(), "missing");
    const toml::array* a = n->as_array();
    if (a == nullptr) fail(key, n->source(), "expected an array of numbers");
    std::vector<float> out;
    for (const toml::node& e : *a) out.push_back(single(key, e));
    return out;
  }
  // Every key of the table was asked for.
  void noOthers() const {
    for (const auto& [k, v] : table_) {
      if (!known_.count(std::string(k.str()))) fail(k.str(), v.source(), "unknown key");
    }
  }
  const toml::table& table() const { return table_; }
  const std::string& file() const { return file_; }
  const std::string& prefix() const { return prefix_; }

  // A value in a message: the shortest text of the single value.
  static std::string text(float v) { return passes::singleText(v); }

 private:
  const toml::table& table_;
  std::string file_, prefix_;
  std::set<std::string> known_;
};

Stand readStand(const toml::table& t, const std::string& file) {
  TableReader r(t, file, "stand.");
  Stand s;
  s.line = int(t.source().begin.line);
  s.R = r.positive("R");
  s.E = r.optionalPositive("E");
  s.NU = r.number("NU");
  if (s.NU && !(*s.NU >= 0 && *s.NU < 0.5f)) r.fail("NU", "must be at least 0 and below 0.5, found " + r.text(*s.NU));
  if (s.NU && !s.E) r.fail("NU", "Poisson's ratio without E (the rolls are rigid without E)");
  s.U = r.required("U");
  if (!(s.U >= 0)) r.fail("U", "must not be negative, found " + r.text(s.U));
  s.maxForce = r.optionalPositive("max_force");
  s.maxTorque = r.optionalPositive("max_torque");
  s.maxPower = r.optionalPositive("max_power");
  s.maxRollSpeed = r.optionalPositive("max_roll_speed");
  r.noOthers();
  return s;
}

Material readMaterial(TableReader& coil) {
  const toml::node* n = coil.node("material");
  if (n == nullptr) coil.fail("material", coil.table().source(), "missing");
  const toml::table* t = n->as_table();
  if (t == nullptr) coil.fail("material", n->source(), "expected a table: { Y = ... } or { CURVE = \"swift\", K = ..., N = ... }");
  TableReader r(*t, coil.file(), coil.prefix() + "material.");
  Material m;
  const std::optional<std::string> curve = r.word("CURVE");
  if (!curve) {
    m.Y = r.positive("Y");
    r.noOthers();
    return m;
  }
  if (t->contains("Y")) r.fail("Y", "give the mean yield stress or a flow curve, not both");
  m.hasCurve = true;
  const bool swift = *curve == "swift";
  if (!swift && *curve != "ludwik") r.fail("CURVE", "expected \"swift\" or \"ludwik\", found \"" + *curve + "\"");
  m.kind = swift ? passes::FlowCurve::Kind::swift : passes::FlowCurve::Kind::ludwik;
  m.K = r.positive("K");
  m.N = r.nonNegative("N", 0);
  if (!t->contains("N")) r.fail("N", t->source(), "missing");
  if (swift) m.EPS0 = r.nonNegative("EPS0", 0);
  else {
    m.S0 = r.nonNegative("S0", 0);
    if (!t->contains("S0")) r.fail("S0", t->source(), "missing");
  }
  r.noOthers();
  return m;
}

const char* kShareWords = "expected \"force\", \"power\", \"reduction\" or \"given\"";

Distribution readDistribution(TableReader& coil, int passes) {
  const toml::node* n = coil.node("distribution");
  if (n == nullptr) coil.fail("distribution", coil.table().source(), "missing");
  const toml::table* t = n->as_table();
  if (t == nullptr) coil.fail("distribution", n->source(), "expected a table: { by = \"force\", ratios = [...] }");
  TableReader r(*t, coil.file(), coil.prefix() + "distribution.");
  Distribution d;
  const std::optional<std::string> by = r.word("by");
  if (!by) r.fail("by", t->source(), std::string("missing; ") + kShareWords);
  if (*by == "given") {
    d.by = ShareBy::given;
    d.H = r.numbers("H");
    if (int(d.H.size()) != passes - 1)
      r.fail("H", std::to_string(d.H.size()) + " thicknesses; expected " + std::to_string(passes - 1) +
                      " (one after each pass but the last)");
    for (float h : d.H) if (!(h > 0)) r.fail("H", "must be above 0, found " + r.text(h));
  } else {
    if (*by == "force") d.by = ShareBy::force;
    else if (*by == "power") d.by = ShareBy::power;
    else if (*by == "reduction") d.by = ShareBy::reduction;
    else r.fail("by", std::string(kShareWords) + ", found \"" + *by + "\"");
    for (float v : r.numbers("ratios")) d.ratios.push_back(v);
    if (int(d.ratios.size()) != passes)
      r.fail("ratios", std::to_string(d.ratios.size()) + " ratios; expected " + std::to_string(passes) + " (one a pass)");
    for (double v : d.ratios) if (!(v > 0)) r.fail("ratios", "must be above 0, found " + r.text(float(v)));
  }
  r.noOthers();
  return d;
}

// Checks the coil's gauges against each other and the given thicknesses.
void checkGauges(TableReader& r, const Coil& c) {
  if (!(c.H_exit < c.H_entry))
    r.fail("H_exit", "must be below H_entry (" + r.text(c.H_entry) + "), found " + r.text(c.H_exit));
  float before = c.H_entry;
  for (float h : c.distribution.H) {
    if (!(h < before && h > c.H_exit))
      r.fail("distribution.H", "the thicknesses must fall from H_entry to H_exit, but " + r.text(h) +
                                   " follows " + r.text(before));
    before = h;
  }
}

Coil readCoil(const toml::table& t, const std::string& file, int passes) {
  TableReader r(t, file, "coil.");
  Coil c;
  c.line = int(t.source().begin.line);
  if (auto name = r.word("name")) c.name = *name;
  c.width = r.positive("width");
  c.H_entry = r.positive("H_entry");
  c.H_exit = r.positive("H_exit");
  c.material = readMaterial(r);
  c.EPS = r.nonNegative("EPS", 0);
  c.tensionEntry = r.nonNegative("tension_entry", 0);
  c.tensionExit = r.nonNegative("tension_exit", 0);
  // One pass has none between passes; given anyway, the count is checked.
  if (passes > 1 || t.contains("tensions")) c.tensions = r.numbers("tensions");
  if (int(c.tensions.size()) != passes - 1)
    r.fail("tensions", std::to_string(c.tensions.size()) + " tensions; expected " + std::to_string(passes - 1) +
                           " (one between each two passes)");
  for (float v : c.tensions) if (!(v >= 0)) r.fail("tensions", "must not be negative, found " + r.text(v));
  c.V_exit = r.positive("V_exit");
  c.distribution = readDistribution(r, passes);
  checkGauges(r, c);
  r.noOthers();
  return c;
}

void readMillTable(const toml::table& root, const std::string& file, Mill& mill) {
  TableReader top(root, file, "");
  const toml::node* m = top.node("mill");
  if (m == nullptr) top.fail("mill", root.source(), "missing: [mill] with kind = \"tandem\" or \"reversing\"");
  if (!m->is_table()) top.fail("mill", m->source(), "expected a table");
  TableReader r(*m->as_table(), file, "mill.");
  const std::optional<std::string> kind = r.word("kind");
  if (!kind) r.fail("kind", m->source(), "missing; expected \"tandem\" or \"reversing\"");
  if (*kind == "reversing") mill.kind = MillKind::reversing;
  else if (*kind != "tandem") r.fail("kind", "expected \"tandem\" or \"reversing\", found \"" + *kind + "\"");
  const toml::node* p = r.node("passes");
  if (mill.kind == MillKind::tandem && p) r.fail("passes", "a tandem mill rolls one pass a stand");
  if (mill.kind == MillKind::reversing) {
    if (p == nullptr) r.fail("passes", m->source(), "missing; a reversing mill needs its number of passes");
    auto n = p->value_exact<int64_t>();
    if (!n || *n < 1 || *n > 99) r.fail("passes", "expected a whole number from 1 to 99");
    mill.passes = int(*n);
  }
  r.noOthers();
}

void readStandsAndCoils(const toml::table& root, const std::string& file, Mill& mill) {
  TableReader top(root, file, "");
  const toml::node* s = top.node("stand");
  const toml::array* stands = s ? s->as_array() : nullptr;
  if (stands == nullptr || stands->empty() || !stands->is_array_of_tables())
    top.fail("stand", s ? s->source() : root.source(), "expected [[stand]] tables, entry side first");
  for (const toml::node& n : *stands) mill.stands.push_back(readStand(*n.as_table(), file));
  if (mill.kind == MillKind::reversing && mill.stands.size() != 1)
    top.fail("stand", s->source(), "a reversing mill has one [[stand]]; found " + std::to_string(mill.stands.size()));
  if (mill.kind == MillKind::tandem) mill.passes = int(mill.stands.size());
  const toml::node* c = top.node("coil");
  const toml::array* coils = c ? c->as_array() : nullptr;
  if (coils == nullptr || coils->empty() || !coils->is_array_of_tables())
    top.fail("coil", c ? c->source() : root.source(), "expected [[coil]] tables");
  int index = 0;
  for (const toml::node& n : *coils) {
    ++index;
    try {
      mill.coils.push_back(readCoil(*n.as_table(), file, mill.passes));
    } catch (const Problem& p) {
      Coil bad;
      bad.line = int(n.source().begin.line);
      if (auto name = n.as_table()->get("name")) bad.name = name->value_or(std::string());
      bad.problem = p.what();
      mill.coils.push_back(bad);
    }
    if (mill.coils.back().name.empty()) mill.coils.back().name = std::to_string(index);
  }
  top.node("units");
  top.node("mill");
  top.noOthers();
}

}  // namespace

Mill readMill(std::string_view text, const std::string& file) {
  Mill mill;
  mill.file = file;
  try {
    const toml::table root = toml::parse(text, file);
    TableReader top(root, file, "");
    if (std::optional<std::string> units = top.word("units")) {
      if (*units == "si") mill.units = Units::si;
      else if (*units != "report") top.fail("units", "expected \"report\" or \"si\", found \"" + *units + "\"");
      mill.unitsGiven = true;
    }
    readMillTable(root, file, mill);
    readStandsAndCoils(root, file, mill);
  } catch (const toml::parse_error& e) {
    throw MillFileError(file + ":" + std::to_string(e.source().begin.line) + ": " + std::string(e.description()));
  } catch (const Problem& p) {
    throw MillFileError(p.what());
  }
  return mill;
}

Mill readMillFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw MillFileError(path + ": cannot be read");
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) throw MillFileError(path + ": cannot be read");
  return readMill(text.str(), path);
}

}  // namespace orowan::setup
