// A timer service for round trips to the database: a caller arms a deadline with what to
// do when it passes (cut the attachment, count the link down), and disarms it when its
// round trip comes back. One thread sleeps until the earliest deadline; it looks at
// nothing in between. Any attachment's round trip can be watched this way.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

namespace vantor::db {

class DeadlineWatch {
 public:
  using Clock = std::chrono::steady_clock;

  DeadlineWatch();
  // Expired work not run yet is dropped.
  ~DeadlineWatch();
  DeadlineWatch(const DeadlineWatch&) = delete;
  DeadlineWatch& operator=(const DeadlineWatch&) = delete;

  // Disarms its deadline when it ends, waiting for its work when that runs just then.
  class Ticket {
   public:
    Ticket() = default;
    Ticket(Ticket&& other) noexcept;
    Ticket& operator=(Ticket&& other) noexcept;
    ~Ticket() { disarm(); }
    void disarm();

   private:
    friend class DeadlineWatch;
    Ticket(DeadlineWatch* watch, std::uint64_t id) : watch_(watch), id_(id) {}
    DeadlineWatch* watch_ = nullptr;
    std::uint64_t id_ = 0;
  };

  // Runs on_expired on the watch's thread once limit has passed, unless the ticket is
  // disarmed before.
  [[nodiscard]] Ticket arm(Clock::duration limit, std::function<void()> on_expired);

 private:
  struct Armed {
    Clock::time_point deadline;
    std::function<void()> on_expired;
  };

  void run();
  void disarm(std::uint64_t id);

  std::mutex mutex_;
  std::condition_variable changed_;
  std::map<std::uint64_t, Armed> armed_;
  std::uint64_t next_id_ = 1;
  std::uint64_t running_ = 0;  // the id whose work runs now, 0: none
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace vantor::db
