// One client connection: read a request (its limits set where the read starts; its body
// once the body budget has room), hand it to the runner (a lookup inline on the loop when
// it can, else a worker), count the answer in the answer budget, write it in slices, and
// wait for the next request. Plain HTTP/1.1 with keep-alive; every step has a bound.
#pragma once

#include <atomic>
#include <boost/asio/ip/tcp.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/core/tcp_stream.hpp>
#include <boost/beast/http/parser.hpp>
#include <boost/beast/http/string_body.hpp>
#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "http/http_request.hpp"
#include "http/server_state.hpp"

namespace vantor::http {

class Session : public std::enable_shared_from_this<Session> {
 public:
  // The connection was counted when it was accepted; the session is one of its loop's.
  Session(boost::asio::ip::tcp::socket socket, std::shared_ptr<ServerState> state, Loop& loop);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  void start() { wait_for_request(); }
  void close();
  // Between requests, or while a request arrives: nothing of the server is pending.
  bool between_requests() const { return !in_request_; }
  std::chrono::steady_clock::time_point accepted() const { return accepted_; }
  // While the queue is full the connection reads nothing: the client's bytes wait in
  // the network, not in our memory, and no read timer runs meanwhile.
  void wait_for_request();
  // Reads the request's body once the body budget has room for it.
  void read_body();

 private:
  void read_header();
  std::size_t body_room_needed() const;
  bool take_body_room();
  void give_back_body_room();
  void give_back_answer_room();
  void wait_for_body_room();
  void dispatch();
  HttpRequest request_from_message();
  bool run_inline(const HttpRequest& request);
  void run(const HttpRequest& request);
  void watch_for_hang_up();
  void answer_with(HttpAnswer answer);
  void post_answer(HttpAnswer answer);
  void write(std::size_t offset);
  void pump_stream();
  void finish_answer(bool written);
  void close_after_answer();
  void drain(std::size_t drained);

  boost::beast::tcp_stream stream_;
  std::shared_ptr<ServerState> state_;
  Loop& loop_;
  boost::beast::flat_buffer buffer_;
  std::optional<boost::beast::http::request_parser<boost::beast::http::string_body>> parser_;
  std::string remote_address_;
  const std::chrono::steady_clock::time_point accepted_ = std::chrono::steady_clock::now();
  std::chrono::steady_clock::time_point arrived_;
  std::size_t body_room_ = 0;  // taken from the body budget for the request being read
  std::optional<std::chrono::steady_clock::time_point> waiting_since_;  // for body room
  std::chrono::milliseconds time_left_{0};                              // of the arrival's limit then
  bool keep_alive_ = false;
  bool head_ = false;
  std::atomic<bool> in_request_{false};
  bool closed_ = false;
  std::atomic<bool> client_gone_{false};
  std::shared_ptr<Cancellation> running_;  // of the request a worker has, on the loop only
  HttpAnswer answer_;
  std::size_t answer_held_ = 0;  // counted in the answer budget for answer_
  std::string head_bytes_;
  std::string streamed_;  // the piece of a streamed answer being written
};

}  // namespace vantor::http
