// The database's dates count days from 17 November 1858; ours from 30 December 1899.
#pragma once

#include <ibase.h>

#include <cstdint>

#include "db/param_value.hpp"

namespace vantor::db {

inline constexpr std::int32_t kIscDateOfOrigin = 15018;  // 30 December 1899

inline std::int32_t day_from_isc(ISC_DATE date) { return date - kIscDateOfOrigin; }

inline ISC_TIMESTAMP to_isc(const TimestampValue& value) {
  ISC_TIMESTAMP stamp;
  stamp.timestamp_date = value.day + kIscDateOfOrigin;
  stamp.timestamp_time = value.ticks;
  return stamp;
}

}  // namespace vantor::db
