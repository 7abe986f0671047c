// A client's statement with its commit, or read only.
#include "db/client_statement.hpp"

#include "db/db_error.hpp"

namespace vantor::db {

void run_client_statement(DbSession& session, std::string_view text, const std::function<void(RowSource&)>& read,
                          ClientAccess access) {
  if (access == ClientAccess::ReadOnly) {
    auto cursor = session.open_client_statement(text, nullptr, ClientStatements::PlainSelectsOnly);
    read(*cursor);  // a plain select always has a result set
    return;
  }
  Transaction transaction = session.begin_write();
  auto cursor = session.open_client_statement(text, &transaction);
  if (!cursor) {
    transaction.commit();
    throw DbError("The statement returns no result set", false);
  }
  read(*cursor);
  cursor.reset();
  transaction.commit();
}

}  // namespace vantor::db
