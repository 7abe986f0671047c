// What the operator console in a browser sees live: every request's block as the console
// prints it, the last picture an answer carried, the lines of a schema upgrade, and once a
// second the counters' history. It stands between the program and its front (the console
// or the window), which gets every block as before.
//
// It never slows a request: a block is copied into the ring of recent blocks and into the
// queue of each viewer (at most kMaxViewers, each bounded, dropping what does not fit),
// under one short lock. While no viewer is open, nothing but the ring is kept.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "http/metrics.hpp"
#include "http/request_log.hpp"
#include "shell/core/metrics_history.hpp"
#include "shell/core/picture_bound.hpp"
#include "shell/core/recent_blocks.hpp"
#include "shell/core/viewer_queue.hpp"

namespace vantor::shell {

class ConsoleFeed final : public http::ActivityLog {
 public:
  static constexpr std::size_t kMaxViewers = 8;
  static constexpr std::size_t kStatusLines = 50;

  ConsoleFeed(http::ActivityLog& front, const http::Metrics& metrics);
  ~ConsoleFeed() override;
  ConsoleFeed(const ConsoleFeed&) = delete;
  ConsoleFeed& operator=(const ConsoleFeed&) = delete;

  void publish(http::LogBlock block) override;
  // A line for the operator (the upgrade's), to every viewer and the next ones to open.
  void status(const std::string& line);

  // A new viewer's queue, holding the recent blocks and status lines; nullptr when
  // kMaxViewers are open.
  std::shared_ptr<ViewerQueue> open_viewer();
  std::size_t viewers() const;
  std::uint64_t dropped() const;  // events the viewers missed, in all
  // The last picture an answer carried while a viewer was open, as Base64, and its number.
  std::pair<std::uint64_t, std::string> picture() const;
  // Bytes held for the console: the ring, the queues, the picture and the status lines.
  std::size_t bytes_held() const;
  const MetricsHistory& history() const { return history_; }

 private:
  void tick();
  void broadcast(const std::string& event);  // under mutex_
  void forget_gone_viewers();                // under mutex_

  http::ActivityLog& front_;
  const http::Metrics& metrics_;
  MetricsHistory history_;
  mutable std::mutex mutex_;
  RecentBlocks recent_;
  std::deque<std::string> status_lines_;  // events
  std::vector<std::shared_ptr<ViewerQueue>> viewers_;
  std::uint64_t dropped_by_gone_ = 0;
  std::uint64_t blocks_ = 0;
  std::uint64_t picture_number_ = 0;
  std::string picture_;  // Base64
  std::atomic<bool> stopping_{false};
  std::condition_variable wake_;
  std::thread ticker_;
};

}  // namespace vantor::shell
