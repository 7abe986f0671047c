// The counters' recent past.
#include "shell/core/metrics_history.hpp"

#include <algorithm>

namespace vantor::shell {
namespace {

constexpr auto kFailure = static_cast<std::size_t>(http::Outcome::Failure);
constexpr auto kFallback = static_cast<std::size_t>(http::Outcome::Fallback);
constexpr auto kEmpty = static_cast<std::size_t>(http::Outcome::Empty);

std::uint64_t requests_of(const http::Metrics::RouteTotals& route) {
  std::uint64_t sum = 0;
  for (const auto count : route.outcomes) sum += count;
  return sum;
}

}  // namespace

double bucket_quantile(const Buckets& buckets, double q) {
  std::uint64_t total = 0;
  for (const auto count : buckets) total += count;
  if (total == 0) return -1;
  const auto& bounds = http::Metrics::kBuckets;
  const double rank = q * static_cast<double>(total);
  double before = 0;
  for (std::size_t i = 0; i < bounds.size(); ++i) {
    const auto count = static_cast<double>(buckets[i]);
    if (count > 0 && before + count >= rank) {
      const double lower = i == 0 ? 0.0 : bounds[i - 1];
      return lower + (bounds[i] - lower) * (rank - before) / count;
    }
    before += count;
  }
  return bounds.back();
}

void MetricsHistory::sample(std::vector<http::Metrics::RouteTotals> totals) {
  Second second;
  for (const auto& route : totals) {
    second.requests += requests_of(route);
    second.failures += route.outcomes[kFailure];
  }
  std::lock_guard lock(mutex_);
  totals_.push_back(second);
  if (totals_.size() > kSeconds + 1) totals_.pop_front();
  if (samples_++ % kRouteEvery == 0) {
    routes_.push_back(std::move(totals));
    if (routes_.size() > kSeconds / kRouteEvery + 1) routes_.pop_front();
  }
}

std::vector<MetricsHistory::Second> MetricsHistory::per_second() const {
  std::lock_guard lock(mutex_);
  std::vector<Second> seconds;
  for (std::size_t i = 1; i < totals_.size(); ++i) {
    seconds.push_back({totals_[i].requests - totals_[i - 1].requests, totals_[i].failures - totals_[i - 1].failures});
  }
  return seconds;
}

std::vector<MetricsHistory::RouteWindow> MetricsHistory::window(
    std::chrono::seconds span, const std::vector<http::Metrics::RouteTotals>& now) const {
  std::vector<http::Metrics::RouteTotals> then;
  {
    std::lock_guard lock(mutex_);
    // the newest copy at least span old, else the oldest there is
    const auto back = static_cast<std::size_t>(span.count()) / kRouteEvery;
    if (!routes_.empty()) then = routes_[routes_.size() > back ? routes_.size() - 1 - back : 0];
  }
  std::vector<RouteWindow> windows;
  for (const auto& current : now) {
    const auto before = std::find_if(then.begin(), then.end(), [&](const auto& r) { return r.route == current.route; });
    http::Metrics::RouteTotals delta = current;
    if (before != then.end()) {
      for (std::size_t i = 0; i < delta.outcomes.size(); ++i) delta.outcomes[i] -= before->outcomes[i];
      for (std::size_t i = 0; i < delta.buckets.size(); ++i) delta.buckets[i] -= before->buckets[i];
    }
    const std::uint64_t requests = requests_of(delta);
    if (requests == 0) continue;
    windows.push_back({current.route, requests, delta.outcomes[kFailure], delta.outcomes[kFallback],
                       delta.outcomes[kEmpty], bucket_quantile(delta.buckets, 0.5),
                       bucket_quantile(delta.buckets, 0.99)});
  }
  return windows;
}

}  // namespace vantor::shell
