// What waits to be sent to one viewer of the operator console: a bounded queue of
// Server-Sent Events. A viewer that reads slower than the server logs loses blocks, never
// the server's memory: past the bound an event is dropped and counted, and the viewer is
// told how many it missed before the next one it gets. Events are sent in batches (see
// flush), so that a busy server writes to each viewer a few times a second, not once per
// request.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

#include "http/answer_stream.hpp"

namespace vantor::shell {

class ViewerQueue final : public http::AnswerStream {
 public:
  static constexpr std::size_t kMaxBytes = 1024 * 1024;

  explicit ViewerQueue(std::size_t max_bytes = kMaxBytes) : max_bytes_(max_bytes) {}

  // Queues an event; false when it was dropped (or the viewer has gone). The reader is
  // not called: events go out in batches, at flush().
  bool push(std::string event);
  // Lets what waits go out: take() gives nothing before, and the reader is called.
  void flush();
  // No more events: what waits still goes out, then the answer ends.
  void end();
  bool gone() const;
  std::uint64_t dropped() const;
  std::size_t bytes() const;

  std::optional<std::string> take() override;
  void when_ready(std::function<void()> ready) override;
  void close() override;

 private:
  void wake(std::unique_lock<std::mutex>& lock);

  const std::size_t max_bytes_;
  mutable std::mutex mutex_;
  std::deque<std::string> events_;
  std::size_t bytes_ = 0;
  std::uint64_t dropped_ = 0;         // in all
  std::uint64_t dropped_untold_ = 0;  // since the viewer was last told
  bool flushed_ = false;              // what waits may go out
  bool ended_ = false;
  bool gone_ = false;
  std::function<void()> ready_;
};

}  // namespace vantor::shell
