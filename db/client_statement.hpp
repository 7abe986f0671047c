// Statements that clients send. Read-write, a statement runs in a transaction of its own
// that commits like a statement of its own, so what one writes stays even when there is
// nothing to read. Read-only, only a plain select runs, in the attachment's read-only
// transaction, and nothing is ever committed.
#pragma once

#include <functional>
#include <string_view>

#include "db/row_source.hpp"
#include "db/session.hpp"

namespace vantor::db {

enum class ClientAccess { ReadWrite, ReadOnly };

// Runs text and hands its rows to read, then commits when read-write. A statement
// without a result set is carried out and committed, then fails with DbError, since
// there is nothing to read. A failure of read rolls the statement back. Read-only, any
// statement but a plain select fails before it runs.
void run_client_statement(DbSession& session, std::string_view text, const std::function<void(RowSource&)>& read,
                          ClientAccess access = ClientAccess::ReadWrite);

}  // namespace vantor::db
