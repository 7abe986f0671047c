// The shared state of one HTTP server: its settings, its runner, the event loops with the
// connections each holds, the worker pool and the memory budgets. The listener, every
// session and HttpServer hold it; it lives until the last of them lets go.
#pragma once

#include <atomic>
#include <boost/asio/executor_work_guard.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/steady_timer.hpp>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "http/byte_budget.hpp"
#include "http/event_loop.hpp"
#include "http/request_runner.hpp"
#include "http/server_settings.hpp"
#include "http/worker_pool.hpp"

namespace vantor::http {

class Session;

// One event loop and the connections it holds.
struct Loop {
  EventLoop events;
  std::optional<boost::asio::executor_work_guard<boost::asio::io_context::executor_type>> work;
  // Its open connections, under ServerState::sessions_mutex. A connection usually ends on
  // its loop, but one whose request was dropped at a stop may end where that job is dropped.
  std::unordered_set<Session*> sessions;
  // Connections that wait to read their next request until the queue has room (held
  // here: nothing else of theirs is pending). Only the loop's thread touches it.
  std::vector<std::shared_ptr<Session>> parked;
  std::atomic<std::size_t> parked_count{0};
  // Connections whose request body waits for room in the body budget; the loop's only.
  std::vector<std::shared_ptr<Session>> body_waiters;
  std::atomic<std::size_t> body_waiter_count{0};

  void resume_parked();
  void resume_body_waiters();
};

// Who may call, and whose X-Forwarded-For is believed: a running server takes new lists.
struct AccessLists {
  NetworkList allow;
  NetworkList trusted_proxies;
};

struct ServerState {
  ServerState(const ServerSettings& settings_in, RequestRunner& runner_in);

  const ServerSettings settings;
  std::atomic<std::shared_ptr<const AccessLists>> access;
  RequestRunner& runner;
  std::vector<std::unique_ptr<Loop>> loops;
  std::atomic<std::size_t> next_loop{0};
  std::vector<std::unique_ptr<boost::asio::ip::tcp::acceptor>> acceptors;  // on the first loop
  std::vector<std::shared_ptr<boost::asio::steady_timer>> tickers;         // on the first loop
  // Guards every loop's sessions; settled is told when a session ends or the last inline
  // request of a stop ends, which is what the stop waits for.
  std::mutex sessions_mutex;
  std::condition_variable settled;
  std::atomic<std::size_t> connections{0};
  std::atomic<std::size_t> inline_running{0};
  std::atomic<bool> stopping{false};
  bool started = false;
  std::function<void(const std::string&)> refused;
  std::uint16_t bound_port = 0;
  std::vector<std::string> listen_failures;
  ByteBudget answers;  // answers built and not yet written
  ByteBudget bodies;   // request bodies being read and not yet answered
  WorkerPool workers;

  boost::asio::io_context& accepting_io() { return loops.front()->events.io(); }
  // New connections are dealt to the loops in turn.
  Loop& loop_for_next() { return *loops[next_loop++ % loops.size()]; }
  bool queue_full() const { return workers.queued() >= settings.queue_bound; }
  // Whether allow lets address in; a refusal is noted.
  bool allowed(const std::string& address) const;
  // An inline request ended; at a stop the last one wakes the stop.
  void inline_ended();
  std::size_t open_sessions();
};

}  // namespace vantor::http
