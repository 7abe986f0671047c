// The per-row completion of calculated and lookup columns of the catalogue's queries.
#pragma once

#include <memory>

#include "db/param_value.hpp"
#include "db/query_cursor.hpp"
#include "db/query_def.hpp"

namespace vantor::db {

// Where a completer reads the rows it looks up: the request's own attachment, whose
// statements are prepared once and kept with it.
class RowLookups {
 public:
  virtual std::unique_ptr<QueryCursor> lookup(const QueryDef& def, const Params& params) = 0;

 protected:
  ~RowLookups() = default;
};

// Builds the completer of hook for an opened cursor. What must happen before the first
// row (reading the currency rate) happens here.
std::unique_ptr<RowCompleter> make_row_completer(RowHook hook, QueryCursor& cursor, RowLookups& lookups);

}  // namespace vantor::db
