// RAII owner of one transaction; destroyed without commit it rolls back.
#pragma once

#include <ibase.h>

#include <chrono>

#include "db/database_settings.hpp"

namespace vantor::db {

class Attachment;

enum class TransactionKind {
  ReadOnly,         // read committed, read only: the reads of one request
  ReadWrite,        // read committed, waits on locks up to a bound: writes of the main connection
  ReadWriteNoWait,  // read committed, a lock conflict fails at once: the DDL connection
};

class Transaction {
 public:
  Transaction() = default;
  // lock_timeout: how long a ReadWrite transaction waits for a row lock (at least 1 s).
  Transaction(Attachment& attachment, TransactionKind kind,
              std::chrono::seconds lock_timeout = DatabaseSettings{}.lock_timeout);
  Transaction(Transaction&& other) noexcept;
  Transaction& operator=(Transaction&& other) noexcept;
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;
  ~Transaction();

  void commit();
  void rollback();
  bool active() const noexcept { return handle_ != 0; }
  isc_tr_handle* handle() noexcept { return &handle_; }

 private:
  void rollback_quietly() noexcept;
  isc_tr_handle handle_ = 0;
  Attachment* attachment_ = nullptr;  // for its round-trip watcher
};

}  // namespace vantor::db
