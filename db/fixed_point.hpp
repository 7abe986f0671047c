// Four-decimal fixed-point arithmetic for prices, tax and profit: a value is held as a
// whole number of ten-thousandths, rounded with ties to the even number.
#pragma once

#include <cstdint>

namespace vantor::db {

// round(value * 10000), ties to even. Throws std::range_error outside the 64-bit range.
std::int64_t to_fixed(double value);
// Rounds to the nearest whole number, ties to even, and checks the 64-bit range.
std::int64_t round_fixed(long double value);
inline double from_fixed(std::int64_t fixed) { return static_cast<double>(static_cast<long double>(fixed) / 10000); }

// price + price * vat / 100, with both first taken to four decimals and the result
// rounded once to four decimals.
double price_with_tax(double price, double vat);
// price / rate to four decimals; 0 when either is 0 at four decimals.
double price_in_currency(double price, double rate);
// total - cost, exact at four decimals.
double profit(double total, double cost);

}  // namespace vantor::db
