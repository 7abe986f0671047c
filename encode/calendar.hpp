// Calendar arithmetic on day numbers counted from 30 December 1899 (day 0), the
// program's date origin for numeric date values.
#pragma once

#include <cstdint>

namespace vantor::encode {

struct CivilDate {
  int year = 1899;
  int month = 12;
  int day = 30;
};

// Ticks of a time of day: 1/10000 of a second, as the database counts them.
inline constexpr std::uint32_t kTicksPerSecond = 10000;
inline constexpr std::uint32_t kTicksPerDay = 86400u * kTicksPerSecond;

std::int32_t days_from_civil(int year, int month, int day);
CivilDate civil_from_days(std::int32_t days);
bool is_valid_civil_date(int year, int month, int day);

// Days since 30 December 1899 with the time of day as the fraction. Before the origin
// the fraction still counts forward from midnight (-1.25 is 29 December, 06:00).
double date_time_number(std::int32_t day, std::uint32_t ticks);

}  // namespace vantor::encode
