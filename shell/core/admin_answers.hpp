// The admin listener's answers, on a port of its own that the clients never see:
// /live (the process serves), /ready (the database answers the link probe and no
// upgrade runs; it never waits for an attachment) and /metrics (Prometheus text).
#pragma once

#include "http/http_request.hpp"

namespace vantor::shell {

class Application;

http::HttpAnswer admin_answer(const http::HttpRequest& request, Application& application);

}  // namespace vantor::shell
