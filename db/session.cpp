// Opening named queries and running writes on a borrowed attachment.
#include "db/session.hpp"

#include "db/calculated_columns.hpp"
#include "db/db_error.hpp"

namespace vantor::db {
namespace {

std::string call_text(const QueryDef& def) {
  std::string text = "EXECUTE PROCEDURE ";
  text += def.text;
  text += "(";
  for (std::size_t i = 0; i < def.params.size(); ++i) {
    if (i > 0) text += ",";
    text += ":";
    text += def.params[i].name;
  }
  text += ")";
  return text;
}

}  // namespace

Transaction& DbSession::read_transaction() {
  if (!read_.active()) read_ = Transaction(slot_.attachment, TransactionKind::ReadOnly);
  return read_;
}

void DbSession::finish() {
  if (read_.active()) read_.commit();
}

PreparedQuery& DbSession::prepare(const QueryDef& def, std::string_view text, bool keep) {
  if (keep) return slot_.statements.get(slot_.attachment, read_transaction(), text);
  one_off_.push_back(std::make_unique<PreparedQuery>(slot_.attachment, read_transaction(), text));
  return *one_off_.back();
}

std::unique_ptr<QueryCursor> DbSession::open(const QueryDef& def, const Params& params, const OpenOptions& options) {
  Transaction& transaction = options.transaction != nullptr ? *options.transaction : read_transaction();
  PreparedQuery& query = prepare(def, options.text.empty() ? def.text : options.text, options.keep_prepared);
  query.bind(def, params);
  Statement& statement = query.statement();
  if (statement.kind() != StatementKind::Select) {
    statement.execute(transaction);
    if (options.transaction != nullptr) options.transaction->commit();
    throw DbError("The statement returns no result set", false);
  }
  auto cursor = std::make_unique<QueryCursor>(statement, transaction, def, def.row_set_size);
  statement.execute(transaction);
  if (def.hook != RowHook::None) cursor->set_completer(make_row_completer(def.hook, *cursor, *this));
  return cursor;
}

void DbSession::run(const QueryDef& def, const Params& params) {
  const std::string text = def.kind == QueryKind::Call ? call_text(def) : std::string(def.text);
  PreparedQuery& query = prepare(def, text, true);
  query.bind(def, params);
  Transaction transaction(slot_.attachment, TransactionKind::ReadWrite);
  query.statement().execute(transaction);
  transaction.commit();
}

}  // namespace vantor::db
