// Everything an endpoint works with: its parameters, its answer, the database session of
// its request, the log and the operator's option.
#pragma once

#include <atomic>
#include <string>

#include "db/session.hpp"
#include "encode/finish_response.hpp"
#include "http/request_helpers.hpp"
#include "http/request_log.hpp"

namespace vantor::http {

// Options the operator sets while the server runs.
struct ServerOptions {
  std::atomic<bool> no_check_digit{false};  // "No Check Digit"
};

struct RequestContext {
  const ParamList& params;
  db::DbSession& db;
  RequestLog& log;
  const ServerOptions& options;
  std::string answer_text = "Bye Bye ";
  encode::AnswerKind answer_kind = encode::AnswerKind::Json;
};

using Endpoint = void (*)(RequestContext&);

}  // namespace vantor::http
