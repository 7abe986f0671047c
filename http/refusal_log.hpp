// The connections and requests that the allow list refuses: each one is counted; the
// activity log tells of an address at most once a minute, so that a scanner out of the
// network or an attack cannot flood it.
#pragma once

#include <chrono>
#include <mutex>
#include <string>
#include <unordered_map>

#include "http/metrics.hpp"
#include "http/request_log.hpp"

namespace vantor::http {

class RefusalLog {
 public:
  using Clock = std::chrono::steady_clock;

  RefusalLog(ActivityLog& log, Metrics& metrics) : log_(log), metrics_(metrics) {}

  void note(const std::string& address, Clock::time_point now = Clock::now());

 private:
  // Addresses told of; kept for a minute, and never more than this many.
  static constexpr std::size_t kMaxAddresses = 4096;

  ActivityLog& log_;
  Metrics& metrics_;
  std::mutex mutex_;
  std::unordered_map<std::string, Clock::time_point> told_;
};

}  // namespace vantor::http
