// Start, the orderly stop, and the gauges.
#include "http/http_server.hpp"

#include <utility>  // before Asio, which uses std::exchange

#include <boost/asio/post.hpp>
#include <boost/asio/steady_timer.hpp>
#include <future>

#include "http/listener.hpp"
#include "http/server_state.hpp"
#include "http/session.hpp"

namespace vantor::http {
namespace {

namespace asio = boost::asio;
using error_code = boost::system::error_code;
using Clock = std::chrono::steady_clock;

// Runs work on the event loop and waits for it.
template <typename Work>
void on_loop(asio::io_context& io, Work work) {
  std::promise<void> done;
  asio::post(io, [&] {
    work();
    done.set_value();
  });
  done.get_future().wait();
}

void close_acceptors(ServerState& state) {
  on_loop(state.accepting_io(), [&state] {
    for (auto& acceptor : state.acceptors) {
      error_code ignored;
      acceptor->close(ignored);
    }
    for (auto& ticker : state.tickers) ticker->cancel();
    state.tickers.clear();
  });
}

// The loop's sessions that pass the test, held so that closing them (which may end them)
// happens outside the lock.
template <typename Test>
std::vector<std::shared_ptr<Session>> sessions_of(ServerState& state, Loop& loop, Test test) {
  std::vector<std::shared_ptr<Session>> sessions;
  std::lock_guard lock(state.sessions_mutex);
  for (Session* session : loop.sessions) {
    if (!test(*session)) continue;
    if (auto held = session->weak_from_this().lock()) sessions.push_back(std::move(held));
  }
  return sessions;
}

// Connections between requests, and those parked before reading one, close at once.
void close_idle_sessions(ServerState& state) {
  for (auto& loop : state.loops) {
    on_loop(loop->events.io(), [&state, &loop = *loop] {
      for (auto& session : sessions_of(state, loop, [](Session& s) { return s.between_requests(); })) session->close();
      loop.parked.clear();  // a connection let go here ends at once
      loop.body_waiters.clear();
    });
  }
}

void close_every_session(ServerState& state) {
  for (auto& loop : state.loops) {
    on_loop(loop->events.io(), [&state, &loop = *loop] {
      for (auto& session : sessions_of(state, loop, [](Session&) { return true; })) session->close();
    });
  }
}

}  // namespace

HttpServer::HttpServer(ServerSettings settings, RequestRunner& runner)
    : state_(std::make_shared<ServerState>(settings, runner)) {
  // a worker that takes a job makes room in the queue: parked connections read again
  std::weak_ptr<ServerState> weak = state_;
  state_->workers.set_on_dequeue([weak] {
    auto state = weak.lock();
    if (!state) return;
    for (auto& loop : state->loops) {
      if (loop->parked_count > 0) asio::post(loop->events.io(), [state, &loop = *loop] { loop.resume_parked(); });
    }
  });
}

HttpServer::~HttpServer() { stop(); }

void HttpServer::start() {
  open_listeners(*state_);
  accept_connections(state_);
  for (auto& loop : state_->loops) {
    loop->work.emplace(loop->events.io().get_executor());
    loop->events.start();
  }
  state_->started = true;
}

void HttpServer::stop(const std::function<void()>& on_grace_expired) {
  auto& state = *state_;
  if (state.stopping.exchange(true) || !state.started) {
    for (auto& loop : state.loops) loop->events.join();
    return;
  }
  const auto deadline = Clock::now() + state.settings.stop_grace;
  close_acceptors(state);  // and the tickers: nothing new starts
  close_idle_sessions(state);
  // requests not started yet are dropped, their connections closed without an answer
  const bool workers_done = state.workers.stop_before(deadline);
  bool inline_done = false;
  {
    std::unique_lock lock(state.sessions_mutex);
    inline_done = state.settled.wait_until(lock, deadline, [&] { return state.inline_running == 0; });
  }
  if ((!workers_done || !inline_done) && on_grace_expired) {
    on_grace_expired();
    state.workers.stop();
  }
  // the answers of the requests that ran go out, each with "Connection: close"
  {
    std::unique_lock lock(state.sessions_mutex);
    state.settled.wait_until(lock, deadline, [&] { return state.open_sessions() == 0; });
  }
  close_every_session(state);
  for (auto& loop : state.loops) loop->work.reset();
  for (auto& loop : state.loops) loop->events.join();
  state.acceptors.clear();
}

std::uint16_t HttpServer::port() const { return state_->bound_port; }

std::size_t HttpServer::connection_count() const { return state_->connections; }

std::vector<std::string> HttpServer::listen_failures() const { return state_->listen_failures; }

std::vector<std::string> HttpServer::listening_addresses() const {
  std::vector<std::string> addresses;
  for (const auto& acceptor : state_->acceptors) {
    error_code ignored;
    const auto endpoint = acceptor->local_endpoint(ignored);
    const std::string address = endpoint.address().to_string();
    addresses.push_back((endpoint.address().is_v6() ? "[" + address + "]" : address) + ":" +
                        std::to_string(endpoint.port()));
  }
  return addresses;
}

void HttpServer::set_access(NetworkList allow, NetworkList trusted_proxies) {
  state_->access = std::make_shared<const AccessLists>(AccessLists{std::move(allow), std::move(trusted_proxies)});
}

void HttpServer::on_refused(std::function<void(const std::string& address)> note) { state_->refused = std::move(note); }

void HttpServer::post(std::function<void()> work) {
  auto remaining = std::make_shared<std::atomic<std::size_t>>(state_->loops.size());
  auto shared = std::make_shared<std::function<void()>>(std::move(work));
  for (auto& loop : state_->loops) {
    asio::post(loop->events.io(), [remaining, shared] {
      if (--*remaining == 0) (*shared)();
    });
  }
}

namespace {

void tick(const std::shared_ptr<asio::steady_timer>& timer, std::chrono::milliseconds period,
          const std::shared_ptr<std::function<void()>>& work) {
  timer->expires_after(period);
  timer->async_wait([timer, period, work](error_code ec) {
    if (ec) return;  // cancelled by the stop
    (*work)();
    tick(timer, period, work);
  });
}

}  // namespace

void HttpServer::every(std::chrono::milliseconds period, std::function<void()> work) {
  auto timer = std::make_shared<asio::steady_timer>(state_->accepting_io());
  auto shared = std::make_shared<std::function<void()>>(std::move(work));
  asio::post(state_->accepting_io(), [state = state_, timer, period, shared] {
    if (state->stopping) return;
    state->tickers.push_back(timer);
    tick(timer, period, shared);
  });
}

std::size_t HttpServer::queued_requests() const { return state_->workers.queued(); }

std::size_t HttpServer::answer_bytes_held() const { return state_->answers.held(); }

std::size_t HttpServer::body_bytes_held() const { return state_->bodies.held(); }

std::size_t HttpServer::bytes_released() const { return state_->answers.released() + state_->bodies.released(); }

}  // namespace vantor::http
