// The server's shared state.
#include "http/server_state.hpp"

#include <algorithm>

namespace vantor::http {

ServerState::ServerState(const ServerSettings& settings_in, RequestRunner& runner_in)
    : settings(settings_in), runner(runner_in), budget(settings.answer_budget), workers(settings.workers) {
  for (std::size_t i = 0; i < std::max<std::size_t>(1, settings.event_loops); ++i) {
    loops.push_back(std::make_unique<Loop>());
  }
}

bool ServerState::allowed(const std::string& address) const {
  if (settings.allow.empty() || settings.allow.contains(address)) return true;
  if (refused) refused(address);
  return false;
}

void ServerState::inline_ended() {
  if (--inline_running == 0 && stopping) {
    { std::lock_guard lock(sessions_mutex); }  // the stop is waiting, or sees the count
    settled.notify_all();
  }
}

std::size_t ServerState::open_sessions() {
  std::size_t open = 0;
  for (auto& loop : loops) open += loop->sessions.size();
  return open;
}

}  // namespace vantor::http
