// One client connection: read a request (its limits set where the read starts), hand it
// to the runner (inline on the loop when it can, else a worker), take room in the answer
// budget, write the answer in slices, and wait for the next request. Plain HTTP/1.1
// with keep-alive; every step of it has a bound.
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
  // While the queue is full the connection reads nothing: the client's bytes wait in
  // the network, not in our memory, and no read timer runs meanwhile.
  void wait_for_request();

 private:
  void read_header();
  void read_body();
  void dispatch();
  HttpRequest request_from_message();
  bool run_inline(const HttpRequest& request);
  void run(const HttpRequest& request);
  void watch_for_hang_up();
  void answer_with(HttpAnswer answer);
  void post_answer(HttpAnswer answer);
  void write(std::size_t offset);
  void finish_answer(bool written);

  boost::beast::tcp_stream stream_;
  std::shared_ptr<ServerState> state_;
  Loop& loop_;
  boost::beast::flat_buffer buffer_;
  std::optional<boost::beast::http::request_parser<boost::beast::http::string_body>> parser_;
  std::string remote_address_;
  std::chrono::steady_clock::time_point arrived_;
  bool keep_alive_ = false;
  bool head_ = false;
  bool in_request_ = false;
  bool closed_ = false;
  std::atomic<bool> client_gone_{false};
  std::shared_ptr<Cancellation> running_;  // of the request a worker has, on the loop only
  HttpAnswer answer_;
  std::string head_bytes_;
};

}  // namespace vantor::http
