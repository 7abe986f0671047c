// Four-decimal fixed-point computations of the calculated columns.
#include <gtest/gtest.h>

#include <stdexcept>

#include "db/fixed_point.hpp"

namespace vantor::db {
namespace {

TEST(FixedPoint, PriceWithTaxRoundsOnceTiesToEven) {
  EXPECT_DOUBLE_EQ(price_with_tax(10, 11), 11.1);
  EXPECT_DOUBLE_EQ(price_with_tax(1, 0.005), 1);       // 1.00005 rounds to the even last digit
  EXPECT_DOUBLE_EQ(price_with_tax(1, 0.015), 1.0002);  // 1.00015
  EXPECT_DOUBLE_EQ(price_with_tax(2.00004, 0), 2);     // the price itself is taken to four decimals
  EXPECT_DOUBLE_EQ(price_with_tax(0, 16), 0);
  EXPECT_THROW(price_with_tax(1e16, 0), std::range_error);
}

TEST(FixedPoint, PriceInCurrencyAndProfit) {
  EXPECT_DOUBLE_EQ(price_in_currency(1, 3), 0.3333);
  EXPECT_DOUBLE_EQ(price_in_currency(2.5, 3), 0.8333);
  EXPECT_DOUBLE_EQ(price_in_currency(1, 0), 0);
  EXPECT_DOUBLE_EQ(price_in_currency(0, 3), 0);
  EXPECT_DOUBLE_EQ(profit(100, 60.5), 39.5);
  EXPECT_DOUBLE_EQ(profit(-20, 6), -26);
}

}  // namespace
}  // namespace vantor::db
