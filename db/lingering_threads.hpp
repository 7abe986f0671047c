// Threads a stop could not wait for: a probe's attach to a host that does not answer ends
// only at its own time-out. They are joined when the process exits, each for at most its
// bound, so that no thread is still ending (or still in the client library) while exit
// tears the library down; one past its bound is let go.
#pragma once

#include <chrono>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace vantor::db {

class LingeringThreads {
 public:
  using Clock = std::chrono::steady_clock;
  // Waits until the thread's work has ended or the deadline has passed; true when ended.
  using EndedBy = std::function<bool(Clock::time_point deadline)>;

  // The process's one; call it before a thread may need keeping, so that it is destroyed
  // (and waits) after everything that keeps threads in it.
  static LingeringThreads& instance();

  LingeringThreads() = default;
  LingeringThreads(const LingeringThreads&) = delete;
  LingeringThreads& operator=(const LingeringThreads&) = delete;

  // Keeps thread until exit; its work ends by bound from now, as ended_by tells.
  void keep(std::thread thread, EndedBy ended_by, Clock::duration bound);

  // Joins each thread that ends within its bound, lets the others go.
  ~LingeringThreads();

 private:
  struct Kept {
    std::thread thread;
    EndedBy ended_by;
    Clock::time_point deadline;
  };

  void join_ended();

  std::mutex mutex_;
  std::vector<Kept> kept_;
};

}  // namespace vantor::db
