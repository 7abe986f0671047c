// Counting requests and writing the counts out.
#include "http/metrics.hpp"

#include <cstdio>

#include "http/route_table.hpp"

namespace vantor::http {

std::string_view outcome_name(Outcome outcome) {
  switch (outcome) {
    case Outcome::Data:
      return "data";
    case Outcome::Failure:
      return "failure";
    case Outcome::Empty:
      return "empty";
    case Outcome::Fallback:
      return "fallback";
  }
  return "data";
}

Metrics::Metrics() {
  for (const Route& route : route_table()) requests_.emplace(std::string(route.label), std::make_unique<Counts>());
  requests_.emplace(std::string(find_route("").label), std::make_unique<Counts>());
}

void Metrics::count(std::string_view route_label, Outcome outcome, std::chrono::steady_clock::duration latency) {
  const auto found = requests_.find(route_label);
  if (found != requests_.end()) ++(*found->second)[static_cast<std::size_t>(outcome)];
  const double seconds = std::chrono::duration<double>(latency).count();
  std::size_t bucket = 0;
  while (bucket < kBuckets.size() && seconds > kBuckets[bucket]) ++bucket;
  ++buckets_[bucket];
  latency_micros_ += static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(latency).count());
  ++latency_count_;
}

std::string Metrics::prometheus() const {
  std::string out = "# HELP vantor_requests_total Requests by route and by what the client got.\n"
                    "# TYPE vantor_requests_total counter\n";
  for (const auto& [label, counts] : requests_) {
    for (std::size_t outcome = 0; outcome < counts->size(); ++outcome) {
      out += "vantor_requests_total{route=\"" + label + "\",outcome=\"" +
             std::string(outcome_name(static_cast<Outcome>(outcome))) + "\"} " + std::to_string((*counts)[outcome]) +
             "\n";
    }
  }
  out += "# HELP vantor_request_duration_seconds Time from the request to its answer.\n"
         "# TYPE vantor_request_duration_seconds histogram\n";
  std::uint64_t cumulative = 0;
  for (std::size_t i = 0; i < kBuckets.size(); ++i) {
    cumulative += buckets_[i];
    char bound[32];
    std::snprintf(bound, sizeof(bound), "%g", kBuckets[i]);
    out += "vantor_request_duration_seconds_bucket{le=\"" + std::string(bound) + "\"} " + std::to_string(cumulative) +
           "\n";
  }
  cumulative += buckets_[kBuckets.size()];
  out += "vantor_request_duration_seconds_bucket{le=\"+Inf\"} " + std::to_string(cumulative) + "\n";
  char sum[48];
  std::snprintf(sum, sizeof(sum), "%.6f", static_cast<double>(latency_micros_) / 1e6);
  out += "vantor_request_duration_seconds_sum " + std::string(sum) + "\n";
  out += "vantor_request_duration_seconds_count " + std::to_string(latency_count_) + "\n";
  out += "# HELP vantor_lock_timeouts_total Requests that ended on a row lock held elsewhere.\n"
         "# TYPE vantor_lock_timeouts_total counter\n"
         "vantor_lock_timeouts_total " + std::to_string(lock_timeouts_) + "\n";
  out += "# HELP vantor_refused_total Connections and requests closed unanswered: their address is not allowed.\n"
         "# TYPE vantor_refused_total counter\n"
         "vantor_refused_total " + std::to_string(refused_) + "\n";
  return out;
}

}  // namespace vantor::http
