#include "db/lingering_threads.hpp"

#include <algorithm>

namespace vantor::db {

LingeringThreads& LingeringThreads::instance() {
  static LingeringThreads threads;
  return threads;
}

void LingeringThreads::keep(std::thread thread, EndedBy ended_by, Clock::duration bound) {
  std::lock_guard lock(mutex_);
  join_ended();
  kept_.push_back({std::move(thread), std::move(ended_by), Clock::now() + bound});
}

// Threads that ended since they were kept are joined at once: a server that reloads its
// database settings often keeps no more than the ones still attaching.
void LingeringThreads::join_ended() {
  auto ended = std::partition(kept_.begin(), kept_.end(), [](Kept& kept) { return !kept.ended_by(Clock::now()); });
  for (auto it = ended; it != kept_.end(); ++it) it->thread.join();
  kept_.erase(ended, kept_.end());
}

LingeringThreads::~LingeringThreads() {
  std::lock_guard lock(mutex_);
  for (Kept& kept : kept_) {
    if (kept.ended_by(kept.deadline)) {
      kept.thread.join();
    } else {
      kept.thread.detach();
    }
  }
}

}  // namespace vantor::db
