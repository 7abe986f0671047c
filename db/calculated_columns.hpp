// The per-row completion of calculated and lookup columns of the catalogue's queries.
#pragma once

#include <memory>

#include "db/query_cursor.hpp"
#include "db/query_def.hpp"

namespace vantor::db {

class DbSession;

// Builds the completer of hook for an opened cursor. What must happen before the first
// row (reading the currency rate) happens here.
std::unique_ptr<RowCompleter> make_row_completer(RowHook hook, QueryCursor& cursor, DbSession& session);

}  // namespace vantor::db
