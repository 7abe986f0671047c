// What one HTTP listener is started with: where it listens and every bound it keeps.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "http/network_list.hpp"

namespace vantor::http {

struct ServerSettings {
  std::uint16_t port = 8080;
  // One address to listen on; empty: every local IPv4 and IPv6 address.
  std::string address;
  // Listening sockets made by the service manager (socket activation): served instead of
  // opening the port; the port and the address are then only what they are checked against.
  std::vector<int> passed_sockets;
  int backlog = 10000;
  // One more connection is accepted and closed at once, without an answer.
  std::size_t max_connections = 10000;
  // At max_connections, a new connection takes the place of the oldest one of its loop
  // that has not sent a request (one that holds a slot idle), instead of being closed.
  bool make_room_for_new = false;
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
  // Answer bytes held in memory: while they reach it, requests that build large answers
  // wait in the queue before they start; others are counted and never wait.
  std::size_t answer_budget = 256u * 1024 * 1024;
  // Request body bytes held in memory: a body that does not fit is not read until it does.
  std::size_t body_budget = 64u * 1024 * 1024;
  // At a stop, running requests have this long to finish and send their answers.
  std::chrono::milliseconds stop_grace{20'000};
  // When not empty, a connection from any other address is closed at accept, and a
  // request whose client (see trusted_proxies) is elsewhere has its connection closed;
  // neither gets an answer.
  NetworkList allow;
  // Reverse proxies whose X-Forwarded-For names the client of their requests.
  NetworkList trusted_proxies;
};

}  // namespace vantor::http
