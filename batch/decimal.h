// Exact decimal numbers for sweeps: FROM + i*STEP worked out on the digit
// strings, so that every varied value is the decimal text a user would
// have typed (0.05, 0.1, ..., 0.3), never a binary double's neighbour.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orowan::batch {

// sign * digits * 10^exponent; `digits` holds decimal digits, most
// significant first, without leading zeros ("" is zero).
class Decimal {
 public:
  // [sign] digits [. digits] [E|e [sign] digits]; nothing else, no blanks.
  // The exponent is limited to +-1000, so that sums stay small.
  static std::optional<Decimal> parse(std::string_view text);

  Decimal operator+(const Decimal& other) const;
  // Negative, zero or positive as *this is below, equal to or above other.
  int compare(const Decimal& other) const;
  bool isZero() const { return digits_.empty(); }
  bool isNegative() const { return negative_ && !isZero(); }

  // Plain text ("0.05", "-12.5", "300"), or "<digits>E<exponent>" when
  // that is shorter: always a text the console's REAL reader takes.
  std::string text() const;

 private:
  bool negative_ = false;
  std::string digits_;
  int exponent_ = 0;

  void normalize();
  std::string scaledTo(int exponent) const;  // digits at a lower exponent
};

}  // namespace orowan::batch
