// What one request does with its borrowed attachment: the reads share one read-only,
// read-committed transaction (it sees what per-statement commits would); every write
// runs in a transaction of its own, committed at once.
#pragma once

#include <memory>
#include <string_view>
#include <vector>

#include "db/attachment_pool.hpp"
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

  Transaction begin_write() { return Transaction(slot_.attachment, TransactionKind::ReadWrite); }
  Transaction& read_transaction();
  // Commits the read transaction, if one was started.
  void finish();

 private:
  PreparedQuery& prepare(const QueryDef& def, std::string_view text, bool keep);

  PooledAttachment& slot_;
  Transaction read_;
  std::vector<std::unique_ptr<PreparedQuery>> one_off_;
};

}  // namespace vantor::db
