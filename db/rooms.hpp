// The free rooms of a date range. DOROOM marks the booked rooms in the ROOM table
// itself, which every request shares: one pass at a time marks and reads, in one
// transaction, so each gets the rooms of its own range.
#pragma once

#include <functional>

#include "db/param_value.hpp"
#include "db/row_source.hpp"
#include "db/session.hpp"

namespace vantor::db {

// range holds "fromdate" and "todate". Hands the free rooms to read; the new marks are
// committed whether or not reading them succeeds, as they would be without the read.
void free_rooms(DbSession& session, const Params& range, const std::function<void(RowSource&)>& read);

}  // namespace vantor::db
