// Counting the running requests by route.
#include "http/in_flight.hpp"

namespace vantor::http {

InFlight::Entry::Entry(InFlight& registry, std::string_view label) : registry_(registry), label_(label) {
  std::lock_guard lock(registry_.mutex_);
  ++registry_.running_[label_];
}

InFlight::Entry::~Entry() {
  std::lock_guard lock(registry_.mutex_);
  if (--registry_.running_[label_] == 0) registry_.running_.erase(label_);
}

std::size_t InFlight::count() const {
  std::lock_guard lock(mutex_);
  std::size_t total = 0;
  for (const auto& [label, running] : running_) total += running;
  return total;
}

std::string InFlight::describe() const {
  std::lock_guard lock(mutex_);
  std::size_t total = 0;
  std::string routes;
  for (const auto& [label, running] : running_) {
    total += running;
    routes += (routes.empty() ? "" : ", ") + std::string(label);
  }
  if (total == 0) return {};
  return std::to_string(total) + (total == 1 ? " request: " : " requests: ") + routes;
}

}  // namespace vantor::http
