// Bytes held in memory against a limit: one budget for answers, one for request bodies.
// Nothing waits inside the budget itself: whoever needs room checks for it, says that it
// wants it, and is told (on_room) when bytes come back; so a waiter holds no thread.
//
// Safe from any thread; on_room runs on the thread whose release made room.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>

namespace vantor::http {

class ByteBudget {
 public:
  explicit ByteBudget(std::size_t limit) : limit_(limit) {}

  // Takes bytes when they fit, or when nothing is held (so that one bigger than the whole
  // budget goes alone and never waits for ever). False otherwise: nothing taken.
  bool try_take(std::size_t bytes);
  // Counts bytes that are held already, whether they fit or not.
  void take(std::size_t bytes) { held_ += bytes; }
  void release(std::size_t bytes);
  // The next release that leaves room calls on_room once. Say it before checking for room,
  // so that no release falls between the check and the wish.
  void want_room() { wanted_ = true; }
  void on_room(std::function<void()> callback) { on_room_ = std::move(callback); }

  bool spent() const noexcept { return held_.load() >= limit_; }
  std::size_t held() const noexcept { return held_.load(); }
  std::size_t limit() const noexcept { return limit_; }
  // Every byte given back since the start.
  std::size_t released() const noexcept { return released_.load(); }

 private:
  const std::size_t limit_;
  std::atomic<std::size_t> held_{0};
  std::atomic<std::size_t> released_{0};
  std::atomic<bool> wanted_{false};
  std::function<void()> on_room_;
};

}  // namespace vantor::http
