// What the server counts for the admin listener's /metrics, in the Prometheus text
// format: requests by route and by what the client got, and their latency by route.
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "http/prometheus_text.hpp"

namespace vantor::http {

// What the client got.
enum class Outcome { Data, Failure, Empty, Fallback };
std::string_view outcome_name(Outcome outcome);

class Metrics {
 public:
  // The histogram's upper bounds in seconds; one more bucket counts what is above them.
  static constexpr std::array<double, 12> kBuckets = {0.001, 0.0025, 0.005, 0.01, 0.025, 0.05,
                                                      0.1,   0.25,   0.5,   1,    2.5,   10};
  // One route's counts as they stand: requests by outcome, and per latency bucket.
  struct RouteTotals {
    std::string route;
    std::array<std::uint64_t, 4> outcomes{};
    std::array<std::uint64_t, kBuckets.size() + 1> buckets{};
  };

  Metrics();

  void count(std::string_view route_label, Outcome outcome, std::chrono::steady_clock::duration latency);
  void count_lock_timeout() { ++lock_timeouts_; }
  void count_refused() { ++refused_; }

  // The counters and the histogram, to be followed by gauges of others.
  void write(PrometheusText& out) const;
  std::string prometheus() const {
    PrometheusText out;
    write(out);
    return out.take();
  }
  // Every route's counts, in the order of their labels.
  std::vector<RouteTotals> totals() const;

 private:
  // Of one route: requests by outcome, and the latency histogram.
  struct Counts {
    std::array<std::atomic<std::uint64_t>, 4> outcomes{};
    std::array<std::atomic<std::uint64_t>, kBuckets.size() + 1> buckets{};
    std::atomic<std::uint64_t> latency_micros{0};
    std::atomic<std::uint64_t> latency_count{0};
  };
  std::map<std::string, std::unique_ptr<Counts>, std::less<>> requests_;
  std::atomic<std::uint64_t> lock_timeouts_{0};
  std::atomic<std::uint64_t> refused_{0};
};

}  // namespace vantor::http
