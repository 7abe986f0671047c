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
  if (!slot_.reads.active()) slot_.reads = Transaction(slot_.attachment, TransactionKind::ReadOnly);
  return slot_.reads;
}

void DbSession::finish() { one_off_.clear(); }

PreparedQuery& DbSession::prepare(const QueryDef& def, std::string_view text, bool keep) {
  if (keep) return slot_.statements.get(slot_.attachment, read_transaction(), text);
  one_off_.push_back(std::make_unique<PreparedQuery>(slot_.attachment, read_transaction(), text));
  return *one_off_.back();
}

// A failure on a dead attachment does not always say so (a statement whose close could
// not reach the server reports a cursor still open): ask the server when in doubt.
bool DbSession::attachment_lost(const DbError& failure) {
  return failure.connection_lost() || !slot_.attachment.alive();
}

template <typename Work>
auto DbSession::first_round_trip(Work work) {
  // Only the outermost call may attach anew: a call nested in it (the lookups that run
  // while a query opens) would free statements the outer one still uses.
  const bool may_repeat = !used_ && !opening_;
  const bool was_opening = opening_;
  opening_ = true;
  struct Restore {
    bool& flag;
    bool value;
    ~Restore() { flag = value; }
  } restore{opening_, was_opening};
  try {
    auto result = work();
    used_ = true;
    return result;
  } catch (const DbError& failure) {
    if (!attachment_lost(failure)) throw;
    if (!may_repeat) {
      slot_.broken = true;
      throw;
    }
  }
  slot_.reattach();
  auto result = work();
  used_ = true;
  return result;
}

Transaction DbSession::begin_write() {
  return first_round_trip([&] { return Transaction(slot_.attachment, TransactionKind::ReadWrite); });
}

void DbSession::ensure_alive() {
  if (!slot_.attachment.alive()) slot_.reattach();
  used_ = true;
}

void DbSession::throw_if_unreachable(const std::exception& failure) {
  if (dynamic_cast<const DatabaseUnreachable*>(&failure) != nullptr) throw DatabaseUnreachable(failure.what());
  const auto* database_failure = dynamic_cast<const DbError*>(&failure);
  if (database_failure != nullptr && attachment_lost(*database_failure)) {
    slot_.broken = true;
    throw DatabaseUnreachable(failure.what());
  }
}

std::unique_ptr<QueryCursor> DbSession::open(const QueryDef& def, const Params& params, const OpenOptions& options) {
  return first_round_trip([&] { return open_once(def, params, options); });
}

std::unique_ptr<QueryCursor> DbSession::open_once(const QueryDef& def, const Params& params,
                                                  const OpenOptions& options) {
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
  if (def.single_row) {
    cursor->use_single_row(statement.execute_single(transaction));
  } else {
    statement.execute(transaction);
    cursor->prefetch();  // the client sends the execution with the first fetch
  }
  if (def.hook != RowHook::None) cursor->set_completer(make_row_completer(def.hook, *cursor, *this));
  return cursor;
}

void DbSession::run(const QueryDef& def, const Params& params) {
  const std::string text = def.kind == QueryKind::Call ? call_text(def) : std::string(def.text);
  auto [query, transaction] = first_round_trip([&] {
    PreparedQuery& prepared = prepare(def, text, true);
    prepared.bind(def, params);
    return std::pair<PreparedQuery*, Transaction>(&prepared, Transaction(slot_.attachment, TransactionKind::ReadWrite));
  });
  try {
    query->statement().execute(transaction);
    transaction.commit();
  } catch (const DbError& failure) {
    if (attachment_lost(failure)) slot_.broken = true;
    throw;
  }
}

}  // namespace vantor::db
