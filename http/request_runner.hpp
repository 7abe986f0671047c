// The one seam between the transport and the application: the server hands every request
// to a runner, which decides its route once and runs it. The request front runs the
// clients' port; the admin answers run the admin listener's.
#pragma once

#include <optional>

#include "http/http_request.hpp"

namespace vantor::http {

class RequestRunner {
 public:
  virtual ~RequestRunner() = default;
  // On the event loop, once per request, before it is scheduled: sets its route and
  // route class.
  virtual void route(HttpRequest& request) = 0;
  // On the event loop: runs the request at once when it can do so without waiting (an
  // attachment is free, nothing holds the requests off); nothing when it cannot, and the
  // request then goes to a worker.
  virtual std::optional<HttpAnswer> run_now_if_free(const HttpRequest& request) = 0;
  // On a worker: runs the request, waiting for what it needs within its bounds.
  virtual HttpAnswer run(const HttpRequest& request) = 0;
};

}  // namespace vantor::http
