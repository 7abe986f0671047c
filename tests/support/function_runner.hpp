// A request runner made of functions, for tests of the transport without the application.
#pragma once

#include <functional>
#include <optional>
#include <string_view>

#include "http/request_runner.hpp"

namespace vantor::test {

struct FunctionRunner final : http::RequestRunner {
  using Handler = std::function<http::HttpAnswer(const http::HttpRequest&)>;
  using InlineHandler = std::function<std::optional<http::HttpAnswer>(const http::HttpRequest&)>;
  using LockWaitTest = std::function<bool(std::string_view target)>;

  explicit FunctionRunner(Handler run_in, LockWaitTest waits = {}, InlineHandler now = {})
      : handler(std::move(run_in)), may_wait(std::move(waits)), inline_handler(std::move(now)) {}

  void route(http::HttpRequest& request) override {
    if (may_wait && may_wait(request.target)) request.route_class = http::RouteClass::LockWait;
  }
  std::optional<http::HttpAnswer> run_now_if_free(const http::HttpRequest& request) override {
    if (!inline_handler) return std::nullopt;
    return inline_handler(request);
  }
  http::HttpAnswer run(const http::HttpRequest& request) override { return handler(request); }

  Handler handler;
  LockWaitTest may_wait;
  InlineHandler inline_handler;
};

}  // namespace vantor::test
