// A budget for answer bytes held in memory. A finished answer takes room before it is
// written and gives it back as its bytes go out; one that does not fit waits, without a
// worker or an attachment, until enough comes back. A small answer that fits goes ahead
// of a big one that waits, and an answer bigger than the whole budget goes out alone
// once nothing else is held, so none waits for ever.
//
// Safe from any thread: go runs on the thread that acquires (when the bytes fit at once)
// or on the one whose release makes room.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <list>
#include <mutex>
#include <vector>

namespace vantor::http {

class AnswerBudget {
 public:
  explicit AnswerBudget(std::size_t limit) : limit_(limit) {}

  // Takes bytes and calls go at once when they fit; otherwise go is called once they do.
  void acquire(std::size_t bytes, std::function<void()> go);
  // Takes bytes when they fit now and nothing waits; false otherwise (nothing taken).
  bool try_acquire(std::size_t bytes);
  void release(std::size_t bytes);
  // Forgets the answers still waiting (at a stop).
  void drop_waiters();

  std::size_t held() const noexcept { return held_.load(); }
  std::size_t waiting() const noexcept { return waiting_count_; }

 private:
  struct Waiter {
    std::size_t bytes;
    std::function<void()> go;
  };
  bool fits(std::size_t bytes) const { return held_ == 0 || held_ + bytes <= limit_; }
  // With the lock held: the waiters that fit now, their room taken.
  std::vector<std::function<void()>> take_ready();

  std::mutex mutex_;
  std::size_t limit_;
  std::atomic<std::size_t> held_{0};
  std::list<Waiter> waiters_;
  std::atomic<std::size_t> waiting_count_{0};
};

}  // namespace vantor::http
