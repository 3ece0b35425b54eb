// Sweep values collected in input order, and the charts drawn from them.
#include "batch/pictures_sweep.h"

#include <cmath>

#include "batch/pictures_data.h"

namespace orowan::batch {
namespace {

namespace pics = orowan::pictures;

// The summary results that are charted, in this order.
struct Quantity {
  const char* column;
  const char* title;
};
constexpr Quantity kQuantities[] = {
    {"ROLLING_FORCE", "Rolling force"}, {"G", "Rolling torque"},   {"PM", "Mean roll pressure"},
    {"ON", "Neutral angle"},            {"XN", "Neutral point"},   {"TORQUE_ARM", "Torque arm"},
};

const ResultColumn* columnNamed(std::string_view name) {
  for (const ResultColumn& column : resultColumns()) {
    if (name == column.name) return &column;
  }
  return nullptr;
}

// The size of a vary, or 1 when there is none at that place.
long sizeOf(const Sweep& sweep, std::size_t v) {
  return v < sweep.varies().size() ? static_cast<long>(sweep.varies()[v].texts.size()) : 1;
}

// The combinations of the third and later varies.
long setCount(const Sweep& sweep) {
  long sets = 1;
  for (std::size_t v = 2; v < sweep.varies().size(); ++v) sets *= sizeOf(sweep, v);
  return sets;
}

// The chart tells curves apart by eight colours, dashes and markers; more
// would repeat them (and outgrow the legend).
constexpr long kMaxCurves = 8;

// The values of the second vary that get a curve: all of up to eight, else
// eight spread evenly from the first to the last.
std::vector<long> curveValues(long n1) {
  std::vector<long> picked;
  const long count = std::min(n1, kMaxCurves);
  for (long k = 0; k < count; ++k) picked.push_back(count == n1 ? k : (k * (n1 - 1) + (count - 1) / 2) / (count - 1));
  return picked;
}

std::string titleCase(const char* title) {
  std::string text = title;
  text[0] = static_cast<char>(text[0] - 'A' + 'a');
  return text;
}

}  // namespace

RecordId RecordCounter::next(const PassJob& job) {
  if (job.caseNumber <= 1) {  // a new record starts
    last_.ordinal = any_ && last_.line == job.line ? last_.ordinal + 1 : 1;
    last_.line = job.line;
    any_ = true;
  }
  return last_;
}

int digitCount(long value) {
  int digits = 1;
  for (; value >= 10; value /= 10) ++digits;
  return digits;
}

std::string padded(long value, int digits) {
  std::string text = std::to_string(value);
  return std::string(static_cast<std::size_t>(std::max(0, digits - static_cast<int>(text.size()))), '0') + text;
}

std::string recordStem(RecordId id, int digits) {
  std::string stem = "line" + padded(id.line, digits);
  return id.ordinal > 1 ? stem + "_" + padded(id.ordinal, digits) : stem;
}

SweepCollector::SweepCollector(const Sweep& sweep, int lineDigits) : sweep_(sweep), lineDigits_(lineDigits) {
  for (const Quantity& q : kQuantities) columns_.push_back(columnNamed(q.column));
}

// One float per quantity: the pass's value in output units, or NaN.
void SweepCollector::write(const PassJob& job, const std::string&) {
  const RecordId id = counter_.next(job);
  units_ = job.units;
  if (records_.empty() || records_.back().id.line != id.line || records_.back().id.ordinal != id.ordinal) {
    records_.push_back({id, "", std::vector<float>(static_cast<std::size_t>(sweep_.caseCount()) * columns_.size(), NAN), false});
  }
  Record& record = records_.back();
  if (!job.readable) return;
  if (record.fixedInputs.empty()) record.fixedInputs = inputsText(job, &sweep_);
  const std::size_t base = static_cast<std::size_t>(job.caseNumber - 1) * columns_.size();
  for (std::size_t q = 0; q < columns_.size(); ++q) {
    if (columns_[q] == nullptr) continue;
    if (const auto value = resultValue(*columns_[q], job)) {
      record.values[base + q] = *value;
      record.anyValue = true;
    }
  }
}

// "SGF 5, Y 20" (spaced) or "SGF5-Y20": the values of the third and later
// varies in combination `set`, the last vary changing fastest.
std::string SweepCollector::setText(long set, const char* separator, bool spaced) const {
  std::string text;
  for (std::size_t v = sweep_.varies().size(); v-- > 2;) {
    const Vary& vary = sweep_.varies()[v];
    const long size = sizeOf(sweep_, v);
    const std::string piece = std::string(inputColumns()[vary.column].name) + (spaced ? " " : "") +
                              vary.texts[static_cast<std::size_t>(set % size)];
    text = text.empty() ? piece : piece + separator + text;
    set /= size;
  }
  return text;
}

// A legend's name for value `i` of a vary: "SGB 5 kgf/mm²", with the unit
// of the run, since the same number means another stress in SI.
std::string SweepCollector::valueName(const Vary& vary, long i) const {
  const InputColumn& column = inputColumns()[vary.column];
  const std::string unit = displayUnit(column.unit, units_);
  return std::string(column.name) + " " + vary.texts[static_cast<std::size_t>(i)] + (unit.empty() ? "" : " " + unit);
}

// One curve: quantity `q` at every value of the first vary, with the
// second vary at its value `i1` and the later ones at combination `set`.
pics::Series SweepCollector::seriesOf(const Record& record, long set, std::size_t q, long i1) const {
  const long n1 = sizeOf(sweep_, 1), sets = setCount(sweep_);
  pics::Series series;
  series.name = n1 > 1 ? valueName(sweep_.varies()[1], i1) : "line " + std::to_string(record.id.line);
  const Vary& first = sweep_.varies()[0];
  for (std::size_t i0 = 0; i0 < first.values.size(); ++i0) {
    const long caseIndex = (static_cast<long>(i0) * n1 + i1) * sets + set;
    series.x.push_back(first.values[i0]);
    series.y.push_back(record.values[static_cast<std::size_t>(caseIndex) * columns_.size() + q]);
  }
  return series;
}

// One quantity of one set: a curve per value of the second vary (up to
// eight of them). Passes
// without the value (no neutral point, a fault) leave gaps, counted in
// the subtitle.
SweepChart SweepCollector::chartOf(const Record& record, long set, std::size_t q) const {
  const InputColumn& xColumn = inputColumns()[sweep_.varies()[0].column];
  const ResultColumn& yColumn = *columns_[q];
  const long n1 = sizeOf(sweep_, 1), sets = setCount(sweep_);
  SweepChart out;
  pics::Chart& chart = out.chart;
  chart.title = std::string(kQuantities[q].title) + " against " + xColumn.name;
  if (n1 > 1) chart.title += ", one curve per " + std::string(inputColumns()[sweep_.varies()[1].column].name);
  chart.subtitle = "line " + std::to_string(record.id.line) + ": " + record.fixedInputs;
  if (sets > 1) chart.subtitle += (record.fixedInputs.empty() ? "" : ", ") + setText(set, ", ", true);
  chart.xName = std::string(xColumn.meaning) + " " + xColumn.name;
  chart.xUnit = displayUnit(xColumn.unit, units_);
  chart.yName = titleCase(kQuantities[q].title);
  chart.yUnit = displayUnit(yColumn.unit, units_);
  long points = 0, gaps = 0;
  for (const long i1 : curveValues(n1)) {
    chart.series.push_back(seriesOf(record, set, q, i1));
    for (const double y : chart.series.back().y) points += 1, gaps += std::isnan(y) ? 1 : 0;
  }
  if (n1 > kMaxCurves) {
    chart.subtitle += "; " + std::to_string(kMaxCurves) + " of the " + std::to_string(n1) + " " +
                      inputColumns()[sweep_.varies()[1].column].name + " values drawn";
  }
  if (gaps > 0) chart.subtitle += "; " + std::to_string(gaps) + " of " + std::to_string(points) + " passes without a value";
  out.fileName = recordStem(record.id, lineDigits_) + "-sweep" +
                 (sets > 1 ? "-set" + padded(set + 1, digitCount(sets)) + "-" + setText(set, "-", false) : "") +
                 "-" + yColumn.name + ".svg";
  return out;
}

void SweepCollector::forEachChart(const std::function<void(const SweepChart&)>& use) const {
  for (const Record& record : records_) {
    if (!record.anyValue) continue;
    for (long set = 0; set < setCount(sweep_); ++set) {
      for (std::size_t q = 0; q < columns_.size(); ++q) {
        if (columns_[q] != nullptr) use(chartOf(record, set, q));
      }
    }
  }
}

}  // namespace orowan::batch
