// The HTTP server: one port on every local IPv4 and IPv6 address, connections held by an
// event loop, requests run on a bounded pool of workers. Plain HTTP/1.1 with keep-alive.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

#include "http/http_request.hpp"

namespace vantor::http {

struct ServerSettings {
  std::uint16_t port = 8080;
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
};

using RequestHandler = std::function<HttpAnswer(const HttpRequest&)>;

class HttpServer {
 public:
  HttpServer(ServerSettings settings, RequestHandler handler);
  ~HttpServer();
  HttpServer(const HttpServer&) = delete;
  HttpServer& operator=(const HttpServer&) = delete;

  // Listens on the port and starts serving. Throws std::system_error with the system's
  // message when the port cannot be bound (for example when it is taken).
  void start();
  // Stops listening, closes the client connections, lets running requests finish.
  void stop();

  std::uint16_t port() const;
  std::size_t connection_count() const;

  struct State;  // the event loop's side, shared with the connections

 private:
  std::shared_ptr<State> state_;
};

}  // namespace vantor::http
