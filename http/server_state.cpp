// The server's shared state.
#include "http/server_state.hpp"

#include <algorithm>
#include <boost/asio/post.hpp>

namespace vantor::http {

ServerState::ServerState(const ServerSettings& settings_in, RequestRunner& runner_in)
    : settings(settings_in),
      runner(runner_in),
      answers(settings.answer_budget),
      bodies(settings.body_budget),
      workers(settings.workers) {
  access = std::make_shared<const AccessLists>(AccessLists{settings.allow, settings.trusted_proxies});
  for (std::size_t i = 0; i < std::max<std::size_t>(1, settings.event_loops); ++i) {
    loops.push_back(std::make_unique<Loop>());
  }
  // big lists and caller's statements start only while answers have room
  workers.set_room_for_answers([this] {
    if (!answers.spent()) return true;
    answers.want_room();
    return !answers.spent();
  });
  answers.on_room([this] { workers.wake(); });
  bodies.on_room([this] {
    for (auto& loop : loops) {
      if (loop->body_waiter_count > 0) {
        boost::asio::post(loop->events.io(), [&loop = *loop] { loop.resume_body_waiters(); });
      }
    }
  });
}

bool ServerState::allowed(const std::string& address) const {
  const auto lists = access.load();
  if (lists->allow.empty() || lists->allow.contains(address)) return true;
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
