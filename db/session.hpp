// What one request does with its borrowed attachment: the reads run in the attachment's
// read-only, read-committed transaction (it sees what per-statement commits would);
// every write runs in a transaction of its own, committed at once.
//
// The request's first round trip also tells whether the attachment lives: when it finds
// the attachment gone (the database restarted, the attachment was killed), the session
// attaches anew and repeats it once. Nothing can have been written before that first
// round trip, so repeating it is safe; a loss after it fails the request.
#pragma once

#include <memory>
#include <string_view>
#include <vector>

#include "db/attachment_pool.hpp"
#include "db/db_error.hpp"
#include "db/param_value.hpp"
#include "db/query_cursor.hpp"
#include "db/query_def.hpp"
#include "db/transaction.hpp"

namespace vantor::db {

struct OpenOptions {
  std::string_view text = {};           // replaces the query's own text (the scratch query)
  Transaction* transaction = nullptr;   // default: the request's read transaction
  bool keep_prepared = true;            // false for statement texts that clients send
};

class DbSession {
 public:
  explicit DbSession(PooledAttachment& slot) : slot_(slot) {}
  DbSession(const DbSession&) = delete;
  DbSession& operator=(const DbSession&) = delete;

  // Runs a select and returns its open cursor. A statement without a result set is
  // carried out (and committed when it runs in a transaction of the caller's), then
  // the open fails, since there is nothing to read.
  std::unique_ptr<QueryCursor> open(const QueryDef& def, const Params& params, const OpenOptions& options = {});
  // Runs a write statement or procedure call in its own transaction and commits it.
  void run(const QueryDef& def, const Params& params);

  Transaction begin_write();
  // For a request that has no other use for the database: one round trip that checks
  // the attachment, attaching anew when it is gone. Throws DatabaseUnreachable.
  void ensure_alive();
  // When failure came from the attachment being gone (the database went down in the
  // middle of the request), throws DatabaseUnreachable with its message: the request
  // then gets the empty answer like any request while the database is down.
  void throw_if_unreachable(const std::exception& failure);
  Transaction& read_transaction();
  // Ends the request's use of the attachment: statements it opened for itself are freed.
  void finish();

 private:
  PreparedQuery& prepare(const QueryDef& def, std::string_view text, bool keep);
  std::unique_ptr<QueryCursor> open_once(const QueryDef& def, const Params& params, const OpenOptions& options);
  template <typename Work>
  auto first_round_trip(Work work);
  bool attachment_lost(const DbError& failure);

  PooledAttachment& slot_;
  bool used_ = false;     // a round trip of this request has succeeded
  bool opening_ = false;  // inside first_round_trip
  std::vector<std::unique_ptr<PreparedQuery>> one_off_;
};

}  // namespace vantor::db
