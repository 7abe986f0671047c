// RAII owner of one database attachment (isc_db_handle).
#pragma once

#include <ibase.h>

#include <chrono>
#include <string>
#include <string_view>

#include "db/database_settings.hpp"

namespace vantor::db {

class Transaction;

// Dialect 1: a DATE carries a time of day, wide exact numerics are doubles.
inline constexpr unsigned short kSqlDialect = 1;

class Attachment {
 public:
  Attachment() = default;
  // Attaches with the login of settings, SQL dialect 1 and no character set, giving up
  // after its connect timeout when the host does not answer. Throws DbError with the
  // client's message when the database cannot be reached.
  static Attachment attach(const std::string& database, const DatabaseSettings& settings = {});

  Attachment(Attachment&& other) noexcept;
  Attachment& operator=(Attachment&& other) noexcept;
  Attachment(const Attachment&) = delete;
  Attachment& operator=(const Attachment&) = delete;
  ~Attachment();

  // Detaches; throws DbError on failure (the handle is released either way).
  void detach();
  // Closes the client side of an attachment that is gone or stuck, without a round trip,
  // so that what still refers to it (a rollback, a detach) fails at once instead of
  // waiting for a server that may never answer. Safe from another thread.
  void abort() noexcept;
  // One cheap round trip to the server; false when the attachment is gone.
  bool alive() noexcept;
  // Sends a statement text unchanged (no parameters), in dialect 1.
  void execute_immediate(Transaction& transaction, std::string_view sql_latin1);

  bool attached() const noexcept { return handle_ != 0; }
  isc_db_handle* handle() noexcept { return &handle_; }

 private:
  void release() noexcept;
  isc_db_handle handle_ = 0;
};

}  // namespace vantor::db
