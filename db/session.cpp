// Opening named queries and running writes on a borrowed attachment.
#include "db/session.hpp"

#include "db/catalogue.hpp"
#include "db/db_error.hpp"

namespace vantor::db {

Transaction& DbSession::read_transaction() {
  if (!slot_.reads.active()) slot_.reads = Transaction(slot_.attachment, TransactionKind::ReadOnly);
  return slot_.reads;
}

void DbSession::finish() { one_off_.clear(); }

PreparedQuery& DbSession::prepare(std::string_view text, bool keep) {
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
  const bool may_repeat = !used_;
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

Transaction DbSession::begin_write(std::optional<std::chrono::seconds> lock_timeout) {
  const auto left = lock_deadline_ - std::chrono::steady_clock::now();
  if (!lock_timeout && left <= std::chrono::steady_clock::duration::zero()) {
    throw DbError("lock conflict: the request waited past the lock timeout before it could start", false, 0, true);
  }
  const auto timeout = lock_timeout.value_or(std::chrono::ceil<std::chrono::seconds>(left));
  return first_round_trip([&] { return Transaction(slot_.attachment, TransactionKind::ReadWrite, timeout); });
}

DeadlineWatch::Ticket DbSession::cancel_after(std::chrono::milliseconds limit, std::atomic<bool>& fired) {
  return slot_.watch->arm(limit, [slot = &slot_, &fired] {
    fired = true;
    slot->cancel_from_outside();
  });
}

void DbSession::ensure_alive() {
  if (!slot_.attachment.alive()) slot_.reattach();
  used_ = true;
}

bool DbSession::unreachable(const std::exception& failure) {
  if (dynamic_cast<const DatabaseUnreachable*>(&failure) != nullptr) return true;
  const auto* database_failure = dynamic_cast<const DbError*>(&failure);
  if (database_failure == nullptr || !attachment_lost(*database_failure)) return false;
  slot_.broken = true;
  return true;
}

std::unique_ptr<QueryCursor> DbSession::open(const QueryDef& def, const Params& params, Transaction* transaction) {
  auto cursor = first_round_trip(
      [&] { return open_preferred(def, params, transaction != nullptr ? *transaction : read_transaction()); });
  if (!cursor) throw DbError("The statement returns no result set", false);
  return cursor;
}

std::unique_ptr<QueryCursor> DbSession::open_client_statement(std::string_view text, Transaction* transaction,
                                                              ClientStatements allowed, const Params& params) {
  return first_round_trip([&] {
    return open_once(Source{query(Query::ClientStatement), text, false, allowed}, params,
                     transaction != nullptr ? *transaction : read_transaction());
  });
}

// A query with a plainer form falls back to it when it fails on this database for any
// reason but a lost link; both are reads, so running the second after the first is safe.
std::unique_ptr<QueryCursor> DbSession::open_preferred(const QueryDef& def, const Params& params,
                                                       Transaction& transaction) {
  if (def.plainer && !slot_.statements.refused(def.text)) {
    try {
      return open_once(Source{def, def.text, true}, params, transaction);
    } catch (const DbError& failure) {
      if (attachment_lost(failure)) throw;
      slot_.statements.refuse(def.text);
    }
  }
  const QueryDef& chosen = def.plainer ? query(*def.plainer) : def;
  return open_once(Source{chosen, chosen.text, true}, params, transaction);
}

// The lookups of a row completer run inside an open that already made the request's
// first round trip: they never attach anew themselves.
std::unique_ptr<QueryCursor> DbSession::lookup(const QueryDef& def, const Params& params) {
  auto cursor = open_once(Source{def, def.text, true}, params, read_transaction());
  if (!cursor) throw DbError("The statement returns no result set", false);
  return cursor;
}

std::unique_ptr<QueryCursor> DbSession::open_once(const Source& source, const Params& params,
                                                  Transaction& transaction) {
  const QueryDef& def = source.def;
  PreparedQuery& prepared = prepare(source.text, source.keep_prepared);
  prepared.bind(def, params);
  Statement& statement = prepared.statement();
  if (source.allowed == ClientStatements::PlainSelectsOnly && !statement.plain_select()) {
    throw DbError("the statement is not a plain select: refused before it ran (adhoc = read)", false);
  }
  if (statement.kind() != StatementKind::Select) {
    statement.execute(transaction);
    return nullptr;
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
  auto [prepared_query, transaction] = first_round_trip([&] {
    PreparedQuery& prepared = prepare(def.text, true);
    prepared.bind(def, params);
    Transaction transaction(slot_.attachment, TransactionKind::ReadWrite, slot_.settings.lock_timeout);
    return std::pair<PreparedQuery*, Transaction>(&prepared, std::move(transaction));
  });
  try {
    prepared_query->statement().execute(transaction);
    transaction.commit();
  } catch (const DbError& failure) {
    if (attachment_lost(failure)) slot_.broken = true;
    throw;
  }
}

}  // namespace vantor::db
