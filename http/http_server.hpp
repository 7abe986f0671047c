// The HTTP server: one port on every local IPv4 and IPv6 address, connections dealt to
// event loops; a request that cannot wait on a lock runs on its loop when an attachment
// is free, every other on a bounded pool of workers. Plain HTTP/1.1 with keep-alive.
// Every wait has a bound: the queue of requests (reading stops while it is full), the
// memory of answers (finished answers wait for room), and the stop's grace period.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "http/http_request.hpp"
#include "http/network_list.hpp"

namespace vantor::http {

struct ServerSettings {
  std::uint16_t port = 8080;
  // One address to listen on; empty: every local IPv4 and IPv6 address.
  std::string address;
  int backlog = 10000;
  // One more connection is accepted and closed at once, without an answer.
  std::size_t max_connections = 10000;
  // A request with more header lines is not answered; its connection is closed.
  std::size_t max_header_lines = 4096;
  std::size_t max_header_bytes = 64 * 1024;
  std::size_t max_body_bytes = 1024 * 1024;
  // Once its first byte has arrived, a request must be complete within this time.
  std::chrono::milliseconds request_timeout{30'000};
  // How long a connection may wait for its next request.
  std::chrono::milliseconds idle_timeout{120'000};
  // How long writing one answer may take.
  std::chrono::milliseconds write_timeout{120'000};
  std::size_t workers = 2;
  // Event loops, each holding its share of the connections.
  std::size_t event_loops = 1;
  // Requests waiting for a worker; while the queue is full no further request is read.
  std::size_t queue_bound = 1024;
  // Answer bytes held in memory; an answer that does not fit waits for room.
  std::size_t answer_budget = 256u * 1024 * 1024;
  // At a stop, running requests have this long to finish and send their answers.
  std::chrono::milliseconds stop_grace{20'000};
  // When not empty, a connection from any other address is closed at accept, and a
  // request whose client (see trusted_proxies) is elsewhere has its connection closed;
  // neither gets an answer.
  NetworkList allow;
  // Reverse proxies whose X-Forwarded-For names the client of their requests.
  NetworkList trusted_proxies;
};

using RequestHandler = std::function<HttpAnswer(const HttpRequest&)>;
// Runs a request at once on the calling thread when it can do so without waiting;
// nothing when it cannot (the request then goes to a worker).
using InlineHandler = std::function<std::optional<HttpAnswer>(const HttpRequest&)>;
// Whether the request of a target can wait on a row lock (such requests never take
// every worker).
using LockWaitTest = std::function<bool(std::string_view target)>;

class HttpServer {
 public:
  HttpServer(ServerSettings settings, RequestHandler handler, LockWaitTest may_wait_on_lock = {});
  ~HttpServer();
  HttpServer(const HttpServer&) = delete;
  HttpServer& operator=(const HttpServer&) = delete;

  // Listens on the port and starts serving. Throws std::runtime_error with the system's
  // messages when it cannot listen at all (for example when the port is taken); when one
  // address family fails and the other listens, it serves and listen_failures() says why.
  void start();
  std::vector<std::string> listen_failures() const;
  // The addresses listened on, as "0.0.0.0:8080" and "[::]:8080".
  std::vector<std::string> listening_addresses() const;
  // Requests that cannot wait on a lock are offered to run on their event loop first.
  // Set it before start().
  void run_inline_when_free(InlineHandler run);
  // Called on the event loop with the address of each connection or request that allow
  // refuses. Set it before start().
  void on_refused(std::function<void(const std::string& address)> note);
  // Runs work on the event loop (it tells that the loop turns).
  void post(std::function<void()> work);
  // The orderly stop: stops accepting; closes the connections that wait for a request
  // and those whose request has not started (without an answer); lets running requests
  // finish and send their answers with "Connection: close" within the grace period;
  // calls on_grace_expired when they have not by then (to cut what keeps them), then
  // closes what is left.
  void stop(const std::function<void()>& on_grace_expired = {});

  std::uint16_t port() const;
  std::size_t connection_count() const;
  // Requests waiting for a worker, and answer bytes held in memory.
  std::size_t queued_requests() const;
  std::size_t answer_bytes_held() const;

  struct State;  // the event loop's side, shared with the connections

 private:
  std::shared_ptr<State> state_;
};

}  // namespace vantor::http
