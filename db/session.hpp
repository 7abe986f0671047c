// What one request does with its borrowed attachment: it opens statements on it. Reads
// run in the attachment's read-only, read-committed transaction (it sees what
// per-statement commits would) unless the caller brings a transaction of its own; a
// write runs in a transaction of its own, committed at once.
//
// The request's first round trip also tells whether the attachment lives: when it finds
// the attachment gone (the database restarted, the attachment was killed), the session
// attaches anew and repeats it once. Nothing can have been written before that first
// round trip, so repeating it is safe; a loss after it fails the request.
#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "db/attachment_pool.hpp"
#include "db/calculated_columns.hpp"
#include "db/db_error.hpp"
#include "db/param_value.hpp"
#include "db/query_cursor.hpp"
#include "db/query_def.hpp"
#include "db/transaction.hpp"

namespace vantor::db {

enum class ClientStatements { Any, PlainSelectsOnly };

class DbSession final : private RowLookups {
 public:
  // arrived: when the request arrived; its lock waits end lock_timeout after it.
  explicit DbSession(PooledAttachment& slot,
                     std::chrono::steady_clock::time_point arrived = std::chrono::steady_clock::now())
      : slot_(slot), lock_deadline_(arrived + slot.settings.lock_timeout) {}
  DbSession(const DbSession&) = delete;
  DbSession& operator=(const DbSession&) = delete;

  // Runs a select of the catalogue and returns its open cursor, in transaction when one
  // is given. Throws DbError when the statement gives no result set.
  std::unique_ptr<QueryCursor> open(const QueryDef& def, const Params& params, Transaction* transaction = nullptr);
  // Runs a statement a client sent, prepared for this request only, in transaction (the
  // read transaction when none is given). A statement that gives no result set is
  // carried out and nullptr comes back. With PlainSelectsOnly anything but a plain
  // select fails once prepared, before it runs.
  std::unique_ptr<QueryCursor> open_client_statement(std::string_view text, Transaction* transaction,
                                                     ClientStatements allowed = ClientStatements::Any,
                                                     const Params& params = {});
  // Runs a write statement or procedure call in its own transaction and commits it.
  void run(const QueryDef& def, const Params& params);

  // A read-write transaction that waits for row locks up to lock_timeout, or (when not
  // given) until the request's lock deadline, in whole seconds. Once that deadline has
  // passed it throws a lock conflict without touching the database: the client has
  // waited past the bound (in the queue) and nothing has been written.
  Transaction begin_write(std::optional<std::chrono::seconds> lock_timeout = std::nullopt);
  // Cancels the statement that runs once limit has passed, and sets fired; the returned
  // ticket ends the bound.
  [[nodiscard]] DeadlineWatch::Ticket cancel_after(std::chrono::milliseconds limit, std::atomic<bool>& fired);
  // Cancels the statement that runs now, from any thread.
  void cancel() noexcept { slot_.cancel_from_outside(); }
  // lock_timeout after the request arrived.
  std::chrono::steady_clock::time_point lock_deadline() const noexcept { return lock_deadline_; }
  const DatabaseSettings& settings() const noexcept { return slot_.settings; }
  // For a request that has no other use for the database: one round trip that checks
  // the attachment, attaching anew when it is gone. Throws DatabaseUnreachable.
  void ensure_alive();
  // Whether failure means the database cannot be reached (attaching failed, or the
  // attachment went away in the middle of the request); the attachment is then
  // replaced the next time it is borrowed.
  bool unreachable(const std::exception& failure);
  Transaction& read_transaction();
  // Ends the request's use of the attachment: statements it opened for itself are freed.
  void finish();

 private:
  struct Source {
    const QueryDef& def;
    std::string_view text;
    bool keep_prepared;
    ClientStatements allowed = ClientStatements::Any;
  };

  std::unique_ptr<QueryCursor> lookup(const QueryDef& def, const Params& params) override;
  PreparedQuery& prepare(std::string_view text, bool keep);
  std::unique_ptr<QueryCursor> open_once(const Source& source, const Params& params, Transaction& transaction);
  std::unique_ptr<QueryCursor> open_preferred(const QueryDef& def, const Params& params, Transaction& transaction);
  template <typename Work>
  auto first_round_trip(Work work);
  bool attachment_lost(const DbError& failure);

  PooledAttachment& slot_;
  std::chrono::steady_clock::time_point lock_deadline_;
  bool used_ = false;  // a round trip of this request has succeeded
  std::vector<std::unique_ptr<PreparedQuery>> one_off_;
};

}  // namespace vantor::db
