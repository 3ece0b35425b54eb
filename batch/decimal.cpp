// Decimal arithmetic on digit strings: only what a sweep needs (sum and
// comparison), exact at any scale the parser admits.
#include "batch/decimal.h"

#include <algorithm>
#include <cstdlib>

namespace orowan::batch {
namespace {

constexpr int kExponentLimit = 1000;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Compares two digit strings of the same exponent as unsigned integers.
int compareMagnitudes(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  return a.compare(b) < 0 ? -1 : a.compare(b) > 0 ? 1 : 0;
}

// a + b for digit strings (unsigned).
std::string addMagnitudes(const std::string& a, const std::string& b) {
  std::string sum;
  int carry = 0;
  for (std::size_t i = 0; i < std::max(a.size(), b.size()) || carry; ++i) {
    const int x = i < a.size() ? a[a.size() - 1 - i] - '0' : 0;
    const int y = i < b.size() ? b[b.size() - 1 - i] - '0' : 0;
    sum.push_back(static_cast<char>('0' + (x + y + carry) % 10));
    carry = (x + y + carry) / 10;
  }
  std::reverse(sum.begin(), sum.end());
  return sum;
}

// a - b for digit strings with a >= b (unsigned).
std::string subtractMagnitudes(const std::string& a, const std::string& b) {
  std::string difference;
  int borrow = 0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    int x = a[a.size() - 1 - i] - '0' - borrow;
    const int y = i < b.size() ? b[b.size() - 1 - i] - '0' : 0;
    borrow = x < y ? 1 : 0;
    difference.push_back(static_cast<char>('0' + x + borrow * 10 - y));
  }
  std::reverse(difference.begin(), difference.end());
  return difference;
}

}  // namespace

// Mantissa digits and the point first, then the exponent.
std::optional<Decimal> Decimal::parse(std::string_view text) {
  Decimal d;
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) d.negative_ = text[i++] == '-';
  int digitsSeen = 0, fractionDigits = 0;
  bool point = false;
  for (; i < text.size(); ++i) {
    if (isDigit(text[i])) {
      d.digits_.push_back(text[i]);
      ++digitsSeen;
      fractionDigits += point ? 1 : 0;
    } else if (text[i] == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (digitsSeen == 0) return std::nullopt;
  long exponent = 0;
  if (i < text.size() && (text[i] == 'E' || text[i] == 'e')) {
    std::size_t j = i + 1;
    const bool minus = j < text.size() && text[j] == '-';
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
    if (j == text.size()) return std::nullopt;
    for (; j < text.size() && isDigit(text[j]); ++j) {
      exponent = exponent * 10 + (text[j] - '0');
      if (exponent > kExponentLimit) return std::nullopt;
    }
    if (j != text.size()) return std::nullopt;
    exponent = minus ? -exponent : exponent;
    i = j;
  }
  if (i != text.size()) return std::nullopt;
  d.exponent_ = static_cast<int>(exponent) - fractionDigits;
  d.normalize();
  return d;
}

// No leading zeros, no trailing zeros (moved into the exponent).
void Decimal::normalize() {
  const std::size_t first = digits_.find_first_not_of('0');
  digits_.erase(0, first == std::string::npos ? digits_.size() : first);
  while (!digits_.empty() && digits_.back() == '0') {
    digits_.pop_back();
    ++exponent_;
  }
  if (digits_.empty()) exponent_ = 0;
}

std::string Decimal::scaledTo(int exponent) const {
  return digits_ + std::string(static_cast<std::size_t>(exponent_ - exponent), '0');
}

// Same sign: the magnitudes add; otherwise the smaller one comes off the
// larger, and the sum takes the larger one's sign.
Decimal Decimal::operator+(const Decimal& other) const {
  if (isZero()) return other;
  if (other.isZero()) return *this;
  const int exponent = std::min(exponent_, other.exponent_);
  const std::string a = scaledTo(exponent), b = other.scaledTo(exponent);
  Decimal sum;
  sum.exponent_ = exponent;
  if (negative_ == other.negative_) {
    sum.negative_ = negative_;
    sum.digits_ = addMagnitudes(a, b);
  } else if (compareMagnitudes(a, b) >= 0) {
    sum.negative_ = negative_;
    sum.digits_ = subtractMagnitudes(a, b);
  } else {
    sum.negative_ = other.negative_;
    sum.digits_ = subtractMagnitudes(b, a);
  }
  sum.normalize();
  return sum;
}

int Decimal::compare(const Decimal& other) const {
  const bool a = isNegative(), b = other.isNegative();
  if (a != b) return a ? -1 : 1;
  if (isZero() || other.isZero()) return isZero() && other.isZero() ? 0 : isZero() == a ? 1 : -1;
  const int exponent = std::min(exponent_, other.exponent_);
  const int magnitude = compareMagnitudes(scaledTo(exponent), other.scaledTo(exponent));
  return a ? -magnitude : magnitude;
}

// The plain text when its digits are few (|exponent| small), else the
// exponent form; both read back to the same decimal value.
std::string Decimal::text() const {
  if (isZero()) return "0";
  std::string out = isNegative() ? "-" : "";
  const int size = static_cast<int>(digits_.size());
  if (exponent_ >= 0 && exponent_ <= 8) {
    out += digits_ + std::string(static_cast<std::size_t>(exponent_), '0');
  } else if (exponent_ < 0 && -exponent_ <= size + 8) {
    const int whole = size + exponent_;  // digits before the point
    if (whole > 0) out += digits_.substr(0, whole) + "." + digits_.substr(whole);
    else out += "0." + std::string(static_cast<std::size_t>(-whole), '0') + digits_;
  } else {
    out += digits_ + "E" + std::to_string(exponent_);
  }
  return out;
}

}  // namespace orowan::batch
