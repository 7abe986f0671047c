// Date texts: "yyyy-MM-dd" for JSON dates, "dd/mm/yyyy hh:nn:ss" as the text form of a
// date-time, and the reading of day/month/year texts that clients send.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "text/calendar.hpp"

namespace vantor::text {

std::string date_text(std::int32_t day);
// The time is left out at midnight.
std::string date_time_text(const DateTime& value);

// "d/m/yyyy": day and month of one or two digits, a four-digit year, "/" between them,
// nothing else; the date must exist.
std::optional<std::int32_t> parse_day_first_date(std::string_view text);
// A date as above, optionally followed by a blank and "h:n" or "h:n:s".
std::optional<DateTime> parse_date_time(std::string_view text);

}  // namespace vantor::text
