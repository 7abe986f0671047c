// Number formats and the readings of numbers that clients send.
#include <gtest/gtest.h>

#include "text/numbers.hpp"

namespace vantor::text {
namespace {

TEST(TwoDecimals, RoundsHalvesAwayFromZeroAfterEighteenDigits) {
  struct Case {
    double value;
    const char* expected;
  } cases[] = {
      {0.125, "0.13"},
      {-0.125, "-0.13"},
      {1.005, "1.00"},  // 1.005 is stored just below
      {7, "7.00"},
      {1234567.891, "1234567.89"},
      {-0.004, "0.00"},
      {-0.005, "-0.01"},
      {2.5, "2.50"},
      {-2.5, "-2.50"},
      {0, "0.00"},
      {-0.0, "0.00"},
      {0.375, "0.38"},
      {9.999, "10.00"},
      {0.995, "0.99"},
      {999.999, "1000.00"},
      {0.0001, "0.00"},
      {0.005, "0.01"},
      {45356.604166666664, "45356.60"},
      {1e20, "100000000000000000000.00"},
      {123456789012345678.0, "123456789012345680.00"},
      {0.285, "0.28"},
      {1.115, "1.11"},  // both stored just below the half
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(two_decimals(c.value), c.expected);
  }
}

TEST(TwoDecimals, GroupedByThreesWithCommas) {
  struct Case {
    double value;
    const char* expected;
  } cases[] = {
      {1234567.891, "1,234,567.89"},     {-1234.5, "-1,234.50"}, {999.999, "1,000.00"}, {0, "0.00"},
      {45356.604166666664, "45,356.60"}, {12, "12.00"},          {-0.001, "0.00"},      {100, "100.00"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(grouped_two_decimals(c.value), c.expected);
  }
}

TEST(ParseNumber, AcceptsBlanksSignOnePointAndExponent) {
  struct Case {
    const char* text;
    std::optional<double> expected;
  } cases[] = {
      {"100", 100},  {" 12.5 ", 12.5}, {"-5", -5}, {"+3", 3},    {"1e3", 1000},  {"2.5E-1", 0.25}, {".5", 0.5},
      {"5.", 5},     {"12,5", {}},     {"", {}},   {" ", {}},    {"abc", {}},    {"1.2.3", {}},    {"1e", {}},
      {"1,000", {}}, {"0x10", {}},     {"3x", {}}, {"\t7\t", 7}, {"1.99", 1.99}, {"- 1", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(parse_number(c.text), c.expected);
  }
}

// Beyond a double: too large is no number (nothing could store it), too small is 0.
TEST(ParseNumber, TooLargeForADoubleIsNoNumberTooSmallIsZero) {
  const std::string nines(400, '9');
  struct Case {
    const char* text;
    std::optional<double> expected;
    bool too_large;
  } cases[] = {
      {"1e400", {}, true},
      {"-1e400", {}, true},
      {"1E+309", {}, true},
      {"0.001e312", {}, true},
      {nines.c_str(), {}, true},
      {"1e99999999999999999999", {}, true},
      {"1e308", 1e308, false},
      {"1e-400", 0, false},
      {"0.0001e-320", 0, false},
      {"0e99999", 0, false},
      {"1e-99999999999999999999", 0, false},
      {"inf", {}, false},
      {"nan", {}, false},
      {"abc", {}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(parse_number(c.text), c.expected);
    EXPECT_EQ(too_large_for_a_number(c.text), c.too_large);
  }
}

TEST(ParseWholeNumber, DecimalOrHexWithNothingAfter) {
  struct Case {
    const char* text;
    std::optional<std::int32_t> expected;
  } cases[] = {
      {"15", 15},         {"  15", 15},
      {"+15", 15},        {"-1", -1},
      {"$1F", 31},        {"x1f", 31},
      {"X10", 16},        {"0x10", 16},
      {"0X10", 16},       {"15 ", {}},
      {"", {}},           {"two", {}},
      {"1.5", {}},        {"2147483647", 2147483647},
      {"2147483648", {}}, {"-2147483648", -2147483648LL},
      {"$", {}},          {"0x", {}},
      {"007", 7},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(parse_whole_number(c.text), c.expected);
  }
}

}  // namespace
}  // namespace vantor::text
