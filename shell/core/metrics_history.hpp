// What the operator console shows of the recent past, taken from the same counters as
// /metrics: requests and failures per second over the last 15 minutes (its chart), and
// per route the requests, failures, fallbacks, empty answers and the median and 99th
// percentile of their times over the last minute and the last 15 minutes. The counters
// are read once a second; the routes' are kept every 10 seconds.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "http/metrics.hpp"

namespace vantor::shell {

using Buckets = std::array<std::uint64_t, http::Metrics::kBuckets.size() + 1>;

// The q-quantile (0 < q < 1) in seconds of times counted in the histogram's buckets, by
// linear interpolation inside its bucket; the last bound when it lies above them; -1 with
// no time counted.
double bucket_quantile(const Buckets& buckets, double q);

class MetricsHistory {
 public:
  static constexpr std::size_t kSeconds = 900;
  static constexpr std::size_t kRouteEvery = 10;  // seconds between the routes' copies

  struct Second {
    std::uint64_t requests = 0;
    std::uint64_t failures = 0;
  };
  struct RouteWindow {
    std::string route;
    std::uint64_t requests = 0;
    std::uint64_t failures = 0;
    std::uint64_t fallbacks = 0;
    std::uint64_t empty = 0;
    double p50 = -1;  // seconds; -1 when there was no request
    double p99 = -1;
  };

  // The counters as they stand now; called once a second.
  void sample(std::vector<http::Metrics::RouteTotals> totals);
  // The last seconds' requests and failures, the oldest first.
  std::vector<Second> per_second() const;
  // Per route, what the last span held (as far back as the history goes); the routes
  // with no request in it are left out.
  std::vector<RouteWindow> window(std::chrono::seconds span, const std::vector<http::Metrics::RouteTotals>& now) const;

 private:
  mutable std::mutex mutex_;
  std::deque<Second> totals_;                                   // the running totals, one a second
  std::deque<std::vector<http::Metrics::RouteTotals>> routes_;  // one every kRouteEvery seconds
  std::uint64_t samples_ = 0;
};

}  // namespace vantor::shell
