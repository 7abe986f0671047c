// A request as the transport hands it to the application, and the answer it gives.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "encode/finish_response.hpp"
#include "http/cancellation.hpp"

namespace vantor::http {

struct Route;

// What a request is to the scheduling: a quick read, a big list, a write that can wait on
// a row lock another transaction holds, or a statement the caller sent.
enum class RouteClass { Lookup, BigList, LockWait, CallerStatement };

struct HttpRequest {
  std::string method;         // as sent: "GET", "POST", "HEAD", ...
  std::string target;         // the request target as sent
  std::string content_type;   // empty when absent
  std::string authorization;  // the Authorization header, empty when absent
  std::string body;
  std::string remote_address;
  // When its first byte arrived: every wait of the request counts from here.
  std::chrono::steady_clock::time_point arrived = std::chrono::steady_clock::now();
  // Cancelled by the connection when the client hangs up while the request runs.
  std::shared_ptr<Cancellation> cancellation = std::make_shared<Cancellation>();
  // Decided once, by the application's router, before the request is scheduled.
  const Route* route = nullptr;
  RouteClass route_class = RouteClass::Lookup;

  // Requests that can wait on a row lock never take every worker.
  bool may_wait_on_lock() const {
    return route_class == RouteClass::LockWait || route_class == RouteClass::CallerStatement;
  }
};

class AnswerStream;

// A finished answer, with what only the admin listener's pages use: headers of their own
// and a body that goes on as it comes.
struct HttpAnswer : encode::FinishedAnswer {
  HttpAnswer() = default;
  HttpAnswer(encode::FinishedAnswer finished) : encode::FinishedAnswer(std::move(finished)) {}  // NOLINT: implicit
  HttpAnswer(std::string type, std::string text, int code = 200)
      : encode::FinishedAnswer{std::move(type), std::move(text), code} {}

  // Further header lines, after the usual ones.
  std::vector<std::pair<std::string, std::string>> headers;
  // When set, the stream's text follows the body until it ends or the client goes; the
  // answer has no length and the connection closes after it.
  std::shared_ptr<AnswerStream> stream;
};

}  // namespace vantor::http
