// One thread, a map of armed deadlines and a condition to sleep on.
#include "db/deadline_watch.hpp"

#include <algorithm>

namespace vantor::db {

DeadlineWatch::DeadlineWatch() : thread_([this] { run(); }) {}

DeadlineWatch::~DeadlineWatch() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

DeadlineWatch::Ticket DeadlineWatch::arm(Clock::duration limit, std::function<void()> on_expired) {
  std::uint64_t id = 0;
  {
    std::lock_guard lock(mutex_);
    id = next_id_++;
    armed_.emplace(id, Armed{Clock::now() + limit, std::move(on_expired)});
  }
  changed_.notify_all();
  return Ticket(this, id);
}

void DeadlineWatch::disarm(std::uint64_t id) {
  std::unique_lock lock(mutex_);
  armed_.erase(id);
  changed_.wait(lock, [&] { return running_ != id; });
}

void DeadlineWatch::run() {
  std::unique_lock lock(mutex_);
  while (!stopping_) {
    const auto earliest = std::min_element(armed_.begin(), armed_.end(), [](const auto& a, const auto& b) {
      return a.second.deadline < b.second.deadline;
    });
    if (earliest == armed_.end()) {
      changed_.wait(lock);
      continue;
    }
    // a copy: the entry may be disarmed, and freed, while this thread waits
    const Clock::time_point deadline = earliest->second.deadline;
    if (Clock::now() < deadline) {
      changed_.wait_until(lock, deadline);
      continue;
    }
    const std::uint64_t id = earliest->first;
    auto work = std::move(earliest->second.on_expired);
    armed_.erase(earliest);
    running_ = id;
    lock.unlock();
    work();
    lock.lock();
    running_ = 0;
    changed_.notify_all();
  }
}

DeadlineWatch::Ticket::Ticket(Ticket&& other) noexcept : watch_(other.watch_), id_(other.id_) {
  other.watch_ = nullptr;
}

DeadlineWatch::Ticket& DeadlineWatch::Ticket::operator=(Ticket&& other) noexcept {
  if (this != &other) {
    disarm();
    watch_ = other.watch_;
    id_ = other.id_;
    other.watch_ = nullptr;
  }
  return *this;
}

void DeadlineWatch::Ticket::disarm() {
  if (watch_ == nullptr) return;
  watch_->disarm(id_);
  watch_ = nullptr;
}

}  // namespace vantor::db
