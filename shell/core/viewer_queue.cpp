// A viewer's queue of events.
#include "shell/core/viewer_queue.hpp"

namespace vantor::shell {

bool ViewerQueue::push(std::string event) {
  std::unique_lock lock(mutex_);
  if (gone_ || ended_) return false;
  if (bytes_ + event.size() > max_bytes_) {
    ++dropped_;
    ++dropped_untold_;
    return false;
  }
  bytes_ += event.size();
  events_.push_back(std::move(event));
  return true;
}

void ViewerQueue::flush() {
  std::unique_lock lock(mutex_);
  if (events_.empty() && dropped_untold_ == 0) return;
  flushed_ = true;
  wake(lock);
}

void ViewerQueue::end() {
  std::unique_lock lock(mutex_);
  ended_ = true;
  wake(lock);
}

// The callback runs outside the lock: it may take() at once.
void ViewerQueue::wake(std::unique_lock<std::mutex>& lock) {
  auto ready = std::move(ready_);
  ready_ = nullptr;
  lock.unlock();
  if (ready) ready();
}

bool ViewerQueue::gone() const {
  std::lock_guard lock(mutex_);
  return gone_;
}

std::uint64_t ViewerQueue::dropped() const {
  std::lock_guard lock(mutex_);
  return dropped_;
}

std::size_t ViewerQueue::bytes() const {
  std::lock_guard lock(mutex_);
  return bytes_;
}

std::optional<std::string> ViewerQueue::take() {
  std::lock_guard lock(mutex_);
  if (gone_) return std::nullopt;
  if (!flushed_ && !ended_) return std::string();
  flushed_ = false;
  std::string out;
  if (dropped_untold_ > 0) {
    out = "event: dropped\ndata: " + std::to_string(dropped_untold_) + "\n\n";
    dropped_untold_ = 0;
  }
  for (auto& event : events_) out += event;
  events_.clear();
  bytes_ = 0;
  if (out.empty() && ended_) return std::nullopt;
  return out;
}

void ViewerQueue::when_ready(std::function<void()> ready) {
  std::unique_lock lock(mutex_);
  if (gone_) return;
  ready_ = std::move(ready);
  if (flushed_ || ended_) wake(lock);
}

void ViewerQueue::close() {
  std::function<void()> ready;
  {
    std::lock_guard lock(mutex_);
    gone_ = true;
    events_.clear();
    bytes_ = 0;
    ready = std::move(ready_);  // let go of the connection outside the lock
    ready_ = nullptr;
  }
}

}  // namespace vantor::shell
