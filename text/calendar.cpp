// Proleptic Gregorian day arithmetic.
#include "text/calendar.hpp"

namespace vantor::text {

CivilDate civil_from_days(std::int32_t days) {
  std::int64_t z = static_cast<std::int64_t>(days) - detail::kUnixToOrigin + 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const auto doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned d = doy - (153 * mp + 2) / 5 + 1;
  const unsigned m = mp < 10 ? mp + 3 : mp - 9;
  const std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2);
  return CivilDate{static_cast<int>(y), static_cast<int>(m), static_cast<int>(d)};
}

bool is_valid_civil_date(int year, int month, int day) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1) return false;
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  const int limit = month == 2 && leap ? 29 : kDays[month - 1];
  return day <= limit;
}

double date_time_number(std::int32_t day, std::uint32_t ticks) {
  const double fraction = static_cast<double>(ticks) / kTicksPerDay;
  return day >= 0 ? day + fraction : day - fraction;
}

}  // namespace vantor::text
