// Statements that clients send: run in a transaction of their own that commits like a
// statement of its own, so what one writes stays even when there is nothing to read.
#pragma once

#include <functional>
#include <string_view>

#include "db/row_source.hpp"
#include "db/session.hpp"

namespace vantor::db {

// Runs text and hands its rows to read, then commits. A statement without a result set
// is carried out and committed, then fails with DbError, since there is nothing to read.
// A failure of read rolls the statement back.
void run_client_statement(DbSession& session, std::string_view text, const std::function<void(RowSource&)>& read);

}  // namespace vantor::db
