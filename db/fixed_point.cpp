// Fixed-point computations in extended precision.
#include "db/fixed_point.hpp"

#include <cfenv>
#include <cmath>
#include <stdexcept>

namespace vantor::db {

std::int64_t round_fixed(long double value) {
  // 2^63 as the bound: the range of a signed 64-bit whole number.
  constexpr long double kLimit = 9223372036854775808.0L;
  const long double rounded = std::rintl(value);  // the default rounding mode: ties to even
  if (!(rounded >= -kLimit && rounded < kLimit)) {
    throw std::range_error("Value out of the range of a four-decimal fixed-point number");
  }
  return static_cast<std::int64_t>(rounded);
}

std::int64_t to_fixed(double value) { return round_fixed(static_cast<long double>(value) * 10000); }

double price_with_tax(double price, double vat) {
  const long double p = to_fixed(price);
  const long double v = to_fixed(vat);
  return from_fixed(round_fixed((p * 10000 + v * p / 100) / 10000));
}

double price_in_currency(double price, double rate) {
  const std::int64_t c = to_fixed(rate);
  if (c == 0) return 0;
  const std::int64_t p = to_fixed(price);
  if (p == 0) return 0;
  return from_fixed(round_fixed(static_cast<long double>(p) / c * 10000));
}

double profit(double total, double cost) { return from_fixed(to_fixed(total) - to_fixed(cost)); }

}  // namespace vantor::db
