// The admin listener's answers, on a port of its own that the clients never see:
// /live (the process serves), /ready (the database answers the link probe and no
// upgrade runs; it never waits for an attachment), /metrics (Prometheus text) and the
// operator console (see console_answers.hpp).
#pragma once

#include "http/http_request.hpp"
#include "http/request_runner.hpp"

namespace vantor::shell {

class Application;

http::HttpAnswer admin_answer(const http::HttpRequest& request, Application& application);
// Why a request would not be served now; empty when it would.
std::string not_ready_reason(Application& application);

// The admin listener's runner: /live and /ready are answered on the loop at once, so that
// the prober never waits behind anything; the rest goes to its worker.
class AdminAnswers final : public http::RequestRunner {
 public:
  explicit AdminAnswers(Application& application) : application_(application) {}
  void route(http::HttpRequest&) override {}
  std::optional<http::HttpAnswer> run_now_if_free(const http::HttpRequest& request) override;
  http::HttpAnswer run(const http::HttpRequest& request) override { return admin_answer(request, application_); }

 private:
  Application& application_;
};

}  // namespace vantor::shell
