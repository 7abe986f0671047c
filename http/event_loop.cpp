// The leader runs the loop's handlers; the standby looks every few milliseconds whether
// an inline request holds the leader too long. Looking is cheaper than waking it for
// every inline request.
#include "http/event_loop.hpp"

namespace vantor::http {
namespace {

constexpr std::chrono::milliseconds kStandbyLook{5};

}  // namespace

EventLoop::EventLoop(std::chrono::milliseconds takeover_after) : takeover_after_(takeover_after) {}

EventLoop::~EventLoop() { join(); }

void EventLoop::start() {
  for (int id = 0; id < 2; ++id) threads_[id] = std::thread([this, id] { run(id); });
}

void EventLoop::join() {
  for (auto& thread : threads_) {
    if (thread.joinable()) thread.join();
  }
}

bool EventLoop::stuck(std::chrono::steady_clock::time_point now) const {
  return inline_running_ && now - inline_since_ >= takeover_after_;
}

void EventLoop::run(int id) {
  std::unique_lock lock(mutex_);
  ids_[id] = std::this_thread::get_id();
  while (!done_) {
    if (leader_ != id) {
      standby_ready_ = true;
      ended_.wait_for(lock, kStandbyLook);
      if (!done_ && leader_ != id && stuck(std::chrono::steady_clock::now())) {
        leader_ = id;  // the other thread finishes its request, then stands by
        standby_ready_ = false;
      }
      continue;
    }
    lock.unlock();
    const std::size_t ran = io_.run_one();
    lock.lock();
    if (ran == 0) {
      done_ = true;  // out of work: the server stopped
      ended_.notify_all();
    }
  }
  standby_ready_ = false;
}

bool EventLoop::begin_inline() {
  std::lock_guard lock(mutex_);
  if (!standby_ready_ || done_) return false;
  inline_running_ = true;
  inline_since_ = std::chrono::steady_clock::now();
  return true;
}

bool EventLoop::end_inline() {
  std::lock_guard lock(mutex_);
  inline_running_ = false;
  return ids_[leader_] == std::this_thread::get_id();
}

}  // namespace vantor::http
