// A bounded pool of attachments to the main database. Each request borrows one for its
// whole run; the attachment keeps its prepared statements between requests. A request
// checks its attachment with its first round trip and attaches anew when it is gone
// (see DbSession), so the program recovers by itself after the database restarts.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "db/attachment.hpp"
#include "db/database_settings.hpp"
#include "db/deadline_watch.hpp"
#include "db/prepared_query.hpp"
#include "db/transaction.hpp"

namespace vantor::db {

struct PooledAttachment {
  Attachment attachment;
  // One read-only, read-committed transaction serves the reads of every request on this
  // attachment: each statement sees what was committed when it started, exactly as with
  // a transaction per request, and the server marks such transactions committed at once,
  // so they hold back no garbage collection. It saves two round trips per request.
  Transaction reads;
  StatementCache statements;
  std::string database;
  DatabaseSettings settings;
  std::uint64_t generation = 0;
  std::atomic<std::uint64_t> attaches{0};
  // The server's id of the attachment, and the start of the round trip under way (0:
  // none) with the start of the last one the server was found running.
  std::atomic<std::int64_t> server_id{0};
  std::atomic<std::int64_t> round_trip_since{0};
  std::atomic<std::int64_t> confirmed_busy{0};
  std::chrono::steady_clock::time_point idle_since = std::chrono::steady_clock::now();
  const std::atomic<bool>* link_down = nullptr;  // the pool's: no attempt while it is down
  bool broken = false;                           // the attachment was found gone in the middle of a request
  // Guards the handle's changes against an abort from another thread (the link probe,
  // the stop); the calls on the attachment itself run outside it.
  std::mutex handle_mutex;

  // Drops what belongs to the attachment first.
  void reset() noexcept {
    statements.clear();
    reads = Transaction{};
    Attachment old;
    {
      std::lock_guard lock(handle_mutex);
      old = std::move(attachment);
    }
    broken = false;
  }  // old detaches here, outside the lock: a detach can wait on the network
  // Cancels the statement the attachment runs ("cancelled" for its caller); safe while
  // another thread uses it.
  void cancel_from_outside() noexcept {
    std::lock_guard lock(handle_mutex);
    attachment.cancel();
  }
  // The pool's: where bounds on this attachment's work are timed.
  DeadlineWatch* watch = nullptr;
  // Closes the client side of the attachment; safe while another thread uses it.
  void abort_from_outside() noexcept {
    std::lock_guard lock(handle_mutex);
    attachment.abort();
  }
  // Attaches anew to the same database; throws DatabaseUnreachable when it cannot, and
  // at once while the link is down.
  void reattach();
};

// A request's round trip that has had no answer for a while, to be looked up from the
// server's side.
struct OutstandingTrip {
  PooledAttachment* slot;
  std::int64_t server_id;
  std::int64_t since;
};

class AttachmentPool {
 public:
  class Lease {
   public:
    Lease(AttachmentPool& pool, PooledAttachment& slot) : pool_(&pool), slot_(&slot) {}
    Lease(Lease&& other) noexcept : pool_(other.pool_), slot_(other.slot_) { other.slot_ = nullptr; }
    Lease& operator=(Lease&&) = delete;
    ~Lease();
    PooledAttachment& operator*() const noexcept { return *slot_; }
    PooledAttachment* operator->() const noexcept { return slot_; }

   private:
    AttachmentPool* pool_;
    PooledAttachment* slot_;
  };

  // watch: where the bounded checks are timed (the pool makes its own when none is given).
  AttachmentPool(std::string database, std::size_t size, DatabaseSettings settings = {},
                 std::shared_ptr<DeadlineWatch> watch = nullptr);
  ~AttachmentPool();

  // Waits for a free attachment and attaches it when it has no attachment yet (or one
  // found gone). Throws DatabaseUnreachable with the client's message when the database
  // cannot be reached.
  Lease borrow();
  // The same without waiting: nothing when every attachment is in use.
  std::optional<Lease> try_borrow();
  // Detaches every attachment; those in use are detached when they come back. An idle
  // one whose detach gets no answer within probe_timeout is let go on the client side.
  void detach_all() noexcept;
  // While the link is down (the link probe says so), borrowing fails at once with
  // DatabaseUnreachable; going down cuts every attachment, in use or idle, since none
  // of them can be reached (see LinkProbe).
  void set_link_down(bool down) noexcept;
  bool link_down() const noexcept { return link_down_; }
  // Closes the client side of every attachment in use, from any thread: a call blocked
  // on it (a lock wait, a database that stopped answering) fails at once, and the
  // attachment is replaced when it comes back.
  void abort_in_use() noexcept;

  // The round trips of lent attachments outstanding longer than round_trip_silence, to
  // be looked up again at every round of the probe.
  std::vector<OutstandingTrip> outstanding_trips() const;
  // How many of them the server was not found running at the last look.
  std::size_t silent_trips() const;
  // The server runs it: a slow statement, never cut.
  void confirm_busy(const OutstandingTrip& trip) noexcept;
  // The server does not run it: the link is dead for this attachment; its call fails.
  void cut_silent(const OutstandingTrip& trip) noexcept;
  std::uint64_t silent_cuts() const noexcept { return silent_cuts_; }
  // Idle attachments found gone by the check before lending.
  std::uint64_t idle_replacements() const noexcept { return idle_replacements_; }

  std::string database() const;
  void set_database(std::string database);
  std::size_t size() const noexcept { return slots_.size(); }
  std::size_t idle_count() const;
  const DatabaseSettings& settings() const noexcept { return settings_; }
  // Attachments made since the pool was created (for tests and the operator).
  std::uint64_t attach_count() const;

 private:
  void give_back(PooledAttachment* slot) noexcept;
  // With the lock held and an attachment idle: takes it, lets the lock go, and attaches
  // it anew when it has no attachment, an old one or one found gone.
  Lease take_idle(std::unique_lock<std::mutex>& lock);
  // A round trip under a bound; false when the attachment is gone.
  bool answers_within_bound(PooledAttachment& slot);

  mutable std::mutex mutex_;
  std::condition_variable available_;
  std::string database_;
  DatabaseSettings settings_;
  std::vector<std::unique_ptr<PooledAttachment>> slots_;
  std::vector<PooledAttachment*> idle_;
  std::uint64_t generation_ = 1;
  std::atomic<bool> link_down_{false};
  std::shared_ptr<DeadlineWatch> watch_;
  std::atomic<std::uint64_t> silent_cuts_{0};
  std::atomic<std::uint64_t> idle_replacements_{0};
};

}  // namespace vantor::db
