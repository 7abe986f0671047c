// The database counts days from 17 November 1858; the program from its own origin.
#pragma once

#include <ibase.h>

#include <cstdint>

#include "text/calendar.hpp"

namespace vantor::db {

inline constexpr std::int32_t kIscDayZero = text::days_from_civil(1858, 11, 17);

inline std::int32_t day_from_isc(ISC_DATE date) { return date + kIscDayZero; }

inline ISC_TIMESTAMP to_isc(const text::DateTime& value) {
  ISC_TIMESTAMP stamp;
  stamp.timestamp_date = value.day - kIscDayZero;
  stamp.timestamp_time = value.ticks;
  return stamp;
}

}  // namespace vantor::db
