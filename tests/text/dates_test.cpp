// Date texts and day numbers.
#include <gtest/gtest.h>

#include "text/calendar.hpp"
#include "text/dates.hpp"

namespace vantor::text {
namespace {

TEST(Dates, DayNumbersCountFromThirtiethOfDecember1899) {
  EXPECT_EQ(days_from_civil(1899, 12, 30), 0);
  EXPECT_EQ(days_from_civil(1900, 1, 1), 2);
  EXPECT_EQ(days_from_civil(2024, 3, 5), 45356);
  EXPECT_EQ(date_text(0), "1899-12-30");
  EXPECT_EQ(date_text(45356), "2024-03-05");
  EXPECT_EQ(date_text(-1), "1899-12-29");
  EXPECT_DOUBLE_EQ(date_time_number(2, kTicksPerDay / 2), 2.5);  // noon of 1 January 1900
  EXPECT_DOUBLE_EQ(date_time_number(-1, kTicksPerDay / 4), -1.25);
}

TEST(Dates, TextFormLeavesOutMidnight) {
  EXPECT_EQ(date_time_text({45356, (14 * 3600 + 30 * 60) * kTicksPerSecond}), "05/03/2024 14:30:00");
  EXPECT_EQ(date_time_text({45356, 0}), "05/03/2024");
}

TEST(Dates, DayFirstTextsWithSlashesOnly) {
  struct Case {
    const char* text;
    std::optional<std::int32_t> expected;
  } cases[] = {
      {"05/03/2024", 45356},
      {"5/3/2024", 45356},
      {"31/12/2024", days_from_civil(2024, 12, 31)},
      {"29/02/2024", days_from_civil(2024, 2, 29)},
      {"29/02/2023", {}},
      {"2024-03-05", {}},
      {"05-03-2024", {}},
      {"05/03/24", {}},
      {"05/03/2024 ", {}},
      {"", {}},
      {"32/01/2024", {}},
      {"05/13/2024", {}},
      {"005/03/2024", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(parse_day_first_date(c.text), c.expected);
  }
  const auto with_time = parse_date_time("05/03/2024 14:30");
  ASSERT_TRUE(with_time);
  EXPECT_EQ(with_time->ticks, (14u * 3600 + 30 * 60) * kTicksPerSecond);
  EXPECT_FALSE(parse_date_time("abc"));
  EXPECT_FALSE(parse_date_time("05/03/2024 25:00"));
}

}  // namespace
}  // namespace vantor::text
