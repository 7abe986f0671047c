// Counting every refusal, telling of each address once a minute.
#include "http/refusal_log.hpp"

#include <iterator>

#include "text/control_escape.hpp"

namespace vantor::http {

void RefusalLog::note(const std::string& address, Clock::time_point now) {
  metrics_.count_refused();
  {
    std::lock_guard lock(mutex_);
    const auto told = told_.find(address);
    if (told != told_.end() && now - told->second < std::chrono::minutes(1)) return;
    if (told_.size() >= kMaxAddresses) {
      for (auto entry = told_.begin(); entry != told_.end();) {
        entry = now - entry->second < std::chrono::minutes(1) ? std::next(entry) : told_.erase(entry);
      }
      if (told_.size() >= kMaxAddresses) return;  // a flood of addresses: counted, not told
    }
    told_[address] = now;
  }
  log_.publish(LogBlock{{"Refused: " + text::escape_controls(address) +
                         " is not allowed to call (allow in vantor.conf); told once a minute"}});
}

}  // namespace vantor::http
