// One event loop: an io_context whose handlers run on one thread at a time. A request
// may run inline on the loop's thread, without handing it to a worker; a second thread
// stands by, and when an inline request has held the loop longer than takeover_after it
// takes the loop over, so the loop's other connections and timers go on while that
// request finishes (on a database link gone silent the link probe cuts it). While the
// standby has taken over and the first thread has not come back, no request runs inline.
#pragma once

#include <boost/asio/io_context.hpp>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace vantor::http {

class EventLoop {
 public:
  explicit EventLoop(std::chrono::milliseconds takeover_after = std::chrono::milliseconds(20));
  ~EventLoop();
  EventLoop(const EventLoop&) = delete;
  EventLoop& operator=(const EventLoop&) = delete;

  boost::asio::io_context& io() noexcept { return io_; }
  // Starts the two threads; they end once the io_context runs out of work.
  void start();
  void join();

  // On the loop: whether a request may run inline now; if so, end_inline must follow.
  bool begin_inline();
  // Whether the calling thread still runs the loop: when not, it must hand what follows
  // to the loop (post) instead of doing it itself.
  bool end_inline();

 private:
  void run(int id);
  bool stuck(std::chrono::steady_clock::time_point now) const;

  boost::asio::io_context io_;
  std::chrono::milliseconds takeover_after_;
  std::mutex mutex_;
  std::condition_variable ended_;
  int leader_ = 0;              // the thread that runs the handlers
  bool standby_ready_ = false;  // the other one waits and can take over
  bool inline_running_ = false;
  std::chrono::steady_clock::time_point inline_since_;
  bool done_ = false;
  std::thread::id ids_[2];
  std::thread threads_[2];
};

}  // namespace vantor::http
