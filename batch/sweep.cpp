// Sweep values in exact decimal arithmetic, each value's text read as the
// console reads a typed REAL.
#include "batch/sweep.h"

#include <optional>

#include "batch/columns.h"
#include "batch/decimal.h"
#include "console/limits.h"
#include "console/value_text.h"

namespace orowan::batch {
namespace {

// FROM, FROM + STEP, ... while not above TO; "" or what is wrong.
std::string stepThrough(const Decimal& from, const Decimal& to, const Decimal& step,
                        std::vector<std::string>& texts) {
  if (step.isZero() || step.isNegative()) return "STEP must be above zero";
  if (from.compare(to) > 0) return "FROM must not be above TO";
  Decimal value = from;
  for (long i = 0; value.compare(to) <= 0; ++i, value = value + step) {
    if (i == kMaxValuesPerVary) {
      return "more than " + std::to_string(kMaxValuesPerVary) + " values (FROM:TO:STEP)";
    }
    texts.push_back(value.text());
  }
  return "";
}

// Each text as a typed REAL; a text the console would refuse is an error.
std::string readTexts(Vary& vary) {
  for (const std::string& text : vary.texts) {
    float value = 0;
    const int length = static_cast<int>(text.size());
    const int fault = length > orowan::console::kMaxValueText
                          ? 6408
                          : orowan::console::readRealText(text.data(), length, value);
    if (fault != 0) {
      return "the value " + text + " does not read as a single-precision number (F" +
             std::to_string(fault) + ")";
    }
    vary.values.push_back(value);
  }
  return "";
}

}  // namespace

std::string Sweep::add(std::string_view argument) {
  const std::size_t equals = argument.find('=');
  if (equals == std::string_view::npos) return "expected NAME=FROM:TO:STEP";
  Vary vary;
  const std::string_view name = argument.substr(0, equals);
  vary.column = inputColumnIndex(name);
  if (vary.column < 0) {
    return "unknown column \"" + std::string(name) + "\"; expected one of " + inputColumnList();
  }
  if (inputColumns()[vary.column].unit == UnitKind::word) {
    return "column " + std::string(name) + " holds a word, not a number: it cannot be varied";
  }
  if (varyOf(vary.column) != nullptr) return "column " + std::string(name) + " is varied twice";
  const std::string_view range = argument.substr(equals + 1);
  const std::size_t first = range.find(':');
  const std::size_t second = first == std::string_view::npos ? first : range.find(':', first + 1);
  if (second == std::string_view::npos || range.find(':', second + 1) != std::string_view::npos) {
    return "expected NAME=FROM:TO:STEP";
  }
  const auto from = Decimal::parse(range.substr(0, first));
  const auto to = Decimal::parse(range.substr(first + 1, second - first - 1));
  const auto step = Decimal::parse(range.substr(second + 1));
  if (!from || !to || !step) return "FROM, TO and STEP must be decimal numbers such as 0.05 or 1e-3";
  std::string problem = stepThrough(*from, *to, *step, vary.texts);
  if (problem.empty()) problem = readTexts(vary);
  if (!problem.empty()) return problem;
  if (caseCount() * static_cast<long>(vary.texts.size()) > kMaxCasesPerLine) {
    return "the sweeps give more than " + std::to_string(kMaxCasesPerLine) + " cases a line";
  }
  varies_.push_back(std::move(vary));
  return "";
}

long Sweep::caseCount() const {
  long count = 1;
  for (const Vary& vary : varies_) count *= static_cast<long>(vary.texts.size());
  return count;
}

const Vary* Sweep::varyOf(int column) const {
  for (const Vary& vary : varies_) {
    if (vary.column == column) return &vary;
  }
  return nullptr;
}

// Mixed radix, the last vary the lowest digit.
std::size_t Sweep::valueIndex(const Vary& vary, long caseIndex) const {
  for (auto it = varies_.rbegin(); it != varies_.rend(); ++it) {
    const long size = static_cast<long>(it->texts.size());
    if (&*it == &vary) return static_cast<std::size_t>(caseIndex % size);
    caseIndex /= size;
  }
  return 0;
}

}  // namespace orowan::batch
