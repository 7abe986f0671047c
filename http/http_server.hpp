// The HTTP server: starts and stops a listener, its event loops and its workers around one
// RequestRunner, and tells its gauges. A request that cannot wait on a lock runs on its
// loop when the runner finds an attachment free, every other on a bounded pool of workers.
// Every wait has a bound: the queue of requests (reading stops while it is full), the
// memory of answers (large ones start only while it has room) and of request bodies (a
// body is read once it has room), and the stop's grace period.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "http/request_runner.hpp"
#include "http/server_settings.hpp"

namespace vantor::http {

struct ServerState;

class HttpServer {
 public:
  // The runner must outlive the server.
  HttpServer(ServerSettings settings, RequestRunner& runner);
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
  // Called on the event loop with the address of each connection or request that allow
  // refuses. Set it before start().
  void on_refused(std::function<void(const std::string& address)> note);
  // New lists of who may call and which proxies are believed, for the next connections
  // and requests.
  void set_access(NetworkList allow, NetworkList trusted_proxies);
  // Runs work once every event loop has turned since the call: it tells that they all do.
  void post(std::function<void()> work);
  // Runs work on the first event loop every period until the stop begins.
  void every(std::chrono::milliseconds period, std::function<void()> work);
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
  std::size_t body_bytes_held() const;
  // Answer and body bytes given back since the start.
  std::size_t bytes_released() const;

 private:
  std::shared_ptr<ServerState> state_;
};

}  // namespace vantor::http
