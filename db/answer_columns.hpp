// The columns a named query's rows carry, as the encoders see them, without running it:
// the declared ones, or those the server reports when it prepares the statement. The
// API description is made from them, so that it says what the answers hold.
#pragma once

#include <vector>

#include "db/attachment.hpp"
#include "db/cell.hpp"
#include "db/query_def.hpp"
#include "db/statement.hpp"
#include "db/transaction.hpp"

namespace vantor::db {

// The column the server reports at index of a prepared statement.
ColumnInfo reported_column(const Statement& statement, int index);

// Prepares the query's statement when it declares no columns; throws DbError when the
// server refuses it.
std::vector<ColumnInfo> answer_columns(Attachment& attachment, Transaction& transaction, const QueryDef& def);

}  // namespace vantor::db
