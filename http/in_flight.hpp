// The requests running now, by route: what the schema upgrade says it waits for.
#pragma once

#include <cstddef>
#include <map>
#include <mutex>
#include <string>
#include <string_view>

namespace vantor::http {

class InFlight {
 public:
  // Counts a request of a route while it lives.
  class Entry {
   public:
    Entry(InFlight& registry, std::string_view label);
    ~Entry();
    Entry(const Entry&) = delete;
    Entry& operator=(const Entry&) = delete;

   private:
    InFlight& registry_;
    std::string_view label_;
  };

  std::size_t count() const;
  // "2 requests: myjson, whqty" (each route once, in order); empty when none runs.
  std::string describe() const;

 private:
  mutable std::mutex mutex_;
  std::map<std::string_view, std::size_t> running_;
};

}  // namespace vantor::http
