// RAII owner of one database attachment (isc_db_handle).
#pragma once

#include <ibase.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

#include <vector>

#include "db/client_socket.hpp"
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
  // waiting for a server that may never answer, and a round trip under way on another
  // thread ends. Safe from another thread.
  void abort() noexcept;
  // One cheap round trip to the server; false when the attachment is gone.
  bool alive() noexcept;
  // Sends a statement text unchanged (no parameters), in dialect 1.
  void execute_immediate(Transaction& transaction, std::string_view sql_latin1);

  // The server's id of this attachment (CURRENT_CONNECTION); one round trip.
  std::int64_t server_id();
  // Closes the server's running statement at its next check ("cancelled" for the
  // caller); safe from another thread.
  void cancel() noexcept;

  bool attached() const noexcept { return handle_ != 0; }
  // The TCP sockets the attach opened, as found then.
  const std::vector<ClientSocket>& sockets() const noexcept { return sockets_; }
  isc_db_handle* handle() noexcept { return &handle_; }

  // Where the calls that wait on the server note when they started (0 while none
  // waits), for a watcher on another thread; nothing is noted without one. It goes with
  // the attachment when it is moved.
  void note_round_trips_in(std::atomic<std::int64_t>* clock) noexcept { round_trip_clock_ = clock; }
  std::atomic<std::int64_t>* round_trip_clock() const noexcept { return round_trip_clock_; }

 private:
  void release() noexcept;
  isc_db_handle handle_ = 0;
  std::atomic<std::int64_t>* round_trip_clock_ = nullptr;
  std::vector<ClientSocket> sockets_;  // none when the engine is embedded or they were not found
};

// Marks one call that waits on the server, for the attachment's watcher.
class RoundTrip {
 public:
  explicit RoundTrip(const Attachment* attachment) noexcept
      : clock_(attachment != nullptr ? attachment->round_trip_clock() : nullptr) {
    if (clock_ != nullptr) clock_->store(std::chrono::steady_clock::now().time_since_epoch().count());
  }
  ~RoundTrip() {
    if (clock_ != nullptr) clock_->store(0);
  }
  RoundTrip(const RoundTrip&) = delete;
  RoundTrip& operator=(const RoundTrip&) = delete;

 private:
  std::atomic<std::int64_t>* clock_;
};

}  // namespace vantor::db
