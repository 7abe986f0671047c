// A bounded pool of attachments to the main database. Each request borrows one for its
// whole run; the attachment keeps its prepared statements between requests. Every
// borrow checks the attachment with one round trip and attaches anew when it is gone,
// so the program recovers by itself after the database server restarts.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "db/attachment.hpp"
#include "db/prepared_query.hpp"

namespace vantor::db {

struct PooledAttachment {
  Attachment attachment;
  StatementCache statements;
  std::uint64_t generation = 0;

  // Drops the statements first: they belong to the attachment.
  void reset() noexcept {
    statements.clear();
    attachment = Attachment{};
  }
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

  AttachmentPool(std::string database, std::size_t size);
  ~AttachmentPool();

  // Waits for a free attachment, checks that it lives and attaches anew when it does
  // not. Throws DbError with the client's message when the database cannot be reached.
  Lease borrow();
  // Detaches every attachment; those in use are detached when they come back.
  void detach_all() noexcept;

  std::string database() const;
  void set_database(std::string database);
  std::size_t size() const noexcept { return slots_.size(); }
  // Attachments made since the pool was created (for tests and the operator).
  std::uint64_t attach_count() const;

 private:
  void give_back(PooledAttachment* slot) noexcept;

  mutable std::mutex mutex_;
  std::condition_variable available_;
  std::string database_;
  std::vector<std::unique_ptr<PooledAttachment>> slots_;
  std::vector<PooledAttachment*> idle_;
  std::uint64_t generation_ = 1;
  std::uint64_t attaches_ = 0;
};

}  // namespace vantor::db
