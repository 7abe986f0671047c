// Calendar arithmetic on day numbers counted from 30 December 1899 (day 0): the one
// date origin of the program, for numeric date values and for everything it binds to or
// reads from the database.
#pragma once

#include <cstdint>

namespace vantor::text {

struct CivilDate {
  int year = 1899;
  int month = 12;
  int day = 30;
};

// Ticks of a time of day: 1/10000 of a second, as the database counts them.
inline constexpr std::uint32_t kTicksPerSecond = 10000;
inline constexpr std::uint32_t kTicksPerDay = 86400u * kTicksPerSecond;

// A date with its time of day, as parameters, cells and date texts carry it.
struct DateTime {
  std::int32_t day = 0;     // days since 30 December 1899
  std::uint32_t ticks = 0;  // time of day in 1/10000 s
};

namespace detail {
// Days from 1970-01-01 to 1899-12-30 is -25569.
inline constexpr std::int32_t kUnixToOrigin = 25569;

constexpr std::int64_t days_from_unix_civil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}
}  // namespace detail

// Proleptic Gregorian; no check that the date exists.
constexpr std::int32_t days_from_civil(int year, int month, int day) {
  return static_cast<std::int32_t>(
      detail::days_from_unix_civil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) +
      detail::kUnixToOrigin);
}
CivilDate civil_from_days(std::int32_t days);
bool is_valid_civil_date(int year, int month, int day);

// Days since 30 December 1899 with the time of day as the fraction. Before the origin
// the fraction still counts forward from midnight (-1.25 is 29 December, 06:00).
double date_time_number(std::int32_t day, std::uint32_t ticks);

}  // namespace vantor::text
