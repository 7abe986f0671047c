// Counting requests and writing the counts out.
#include "http/metrics.hpp"

#include <cstdio>

#include "http/route_table.hpp"

namespace vantor::http {

std::string_view outcome_name(Outcome outcome) {
  switch (outcome) {
    case Outcome::Data: return "data";
    case Outcome::Failure: return "failure";
    case Outcome::Empty: return "empty";
    case Outcome::Fallback: return "fallback";
  }
  return "data";
}

Metrics::Metrics() {
  for (const Route& route : route_table()) requests_.emplace(std::string(route.label), std::make_unique<Counts>());
  requests_.emplace(std::string(find_route("").label), std::make_unique<Counts>());
}

void Metrics::count(std::string_view route_label, Outcome outcome, std::chrono::steady_clock::duration latency) {
  const auto found = requests_.find(route_label);
  if (found == requests_.end()) return;
  Counts& counts = *found->second;
  ++counts.outcomes[static_cast<std::size_t>(outcome)];
  const double seconds = std::chrono::duration<double>(latency).count();
  std::size_t bucket = 0;
  while (bucket < kBuckets.size() && seconds > kBuckets[bucket]) ++bucket;
  ++counts.buckets[bucket];
  counts.latency_micros +=
      static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(latency).count());
  ++counts.latency_count;
}

std::vector<Metrics::RouteTotals> Metrics::totals() const {
  std::vector<RouteTotals> totals;
  totals.reserve(requests_.size());
  for (const auto& [label, counts] : requests_) {
    RouteTotals& route = totals.emplace_back();
    route.route = label;
    for (std::size_t i = 0; i < route.outcomes.size(); ++i) route.outcomes[i] = counts->outcomes[i];
    for (std::size_t i = 0; i < route.buckets.size(); ++i) route.buckets[i] = counts->buckets[i];
  }
  return totals;
}

void Metrics::write(PrometheusText& out) const {
  out.family("vantor_requests_total", "Requests by route and by what the client got.", "counter");
  for (const auto& [label, counts] : requests_) {
    for (std::size_t outcome = 0; outcome < counts->outcomes.size(); ++outcome) {
      out.sample("vantor_requests_total", {{"route", label}, {"outcome", outcome_name(static_cast<Outcome>(outcome))}},
                 counts->outcomes[outcome].load());
    }
  }
  out.family("vantor_request_duration_seconds", "Time from the request's arrival to its answer, by route.",
             "histogram");
  for (const auto& [label, counts] : requests_) {
    std::uint64_t cumulative = 0;
    for (std::size_t i = 0; i < kBuckets.size(); ++i) {
      cumulative += counts->buckets[i];
      char bound[32];
      std::snprintf(bound, sizeof(bound), "%g", kBuckets[i]);
      out.sample("vantor_request_duration_seconds_bucket", {{"route", label}, {"le", bound}}, cumulative);
    }
    cumulative += counts->buckets[kBuckets.size()];
    out.sample("vantor_request_duration_seconds_bucket", {{"route", label}, {"le", "+Inf"}}, cumulative);
    out.sample("vantor_request_duration_seconds_sum", {{"route", label}},
               static_cast<double>(counts->latency_micros) / 1e6);
    out.sample("vantor_request_duration_seconds_count", {{"route", label}}, counts->latency_count.load());
  }
  out.counter("vantor_lock_timeouts_total", "Requests that ended on a row lock held elsewhere.", lock_timeouts_);
  out.counter("vantor_refused_total", "Connections and requests closed unanswered: their address is not allowed.",
              refused_);
}

}  // namespace vantor::http
