// Everything an endpoint works with: its parameters, its answer, the database session of
// its request, the log and the operator's option.
#pragma once

#include <atomic>
#include <chrono>
#include <string>

#include "db/session.hpp"
#include "encode/finish_response.hpp"
#include "http/cancellation.hpp"
#include "http/request_helpers.hpp"
#include "http/request_log.hpp"

namespace vantor::http {

// What a request answers when nothing else is set: a path without a route, or an
// endpoint whose failure is turned into it.
inline constexpr std::string_view kFallbackAnswer = "Bye Bye ";

// What the routes that run the caller's own statement may do: anything the login may
// (on), plain selects that are never committed (read), nothing (off).
enum class AdhocMode { On, Read, Off };

// The operator's options: "No Check Digit" changes while the server runs; the others are
// set at start.
struct ServerOptions {
  // each may change while the server runs (a console command, a reload on SIGHUP)
  std::atomic<bool> no_check_digit{false};        // "No Check Digit"
  std::atomic<bool> echo{true};                   // answers echoed into the activity log
  std::atomic<bool> access_log{false};            // one access line per request
  std::atomic<bool> access_json{false};           // the access line as a JSON object
  std::atomic<bool> json_escape_controls{false};  // control characters in JSON strings escaped
  std::atomic<AdhocMode> adhoc{AdhocMode::On};
  std::atomic<std::size_t> adhoc_max_bytes{0};  // a bigger ad-hoc answer gives the fallback answer; 0: no cap
  std::atomic<std::chrono::milliseconds> adhoc_timeout{std::chrono::milliseconds(30'000)};  // then cancelled
};

struct RequestContext {
  const ParamList& params;
  db::DbSession& db;
  RequestLog& log;
  const ServerOptions& options;
  Cancellation& cancellation;
  std::string answer_text{kFallbackAnswer};
  encode::AnswerKind answer_kind = encode::AnswerKind::Json;
};

using Endpoint = void (*)(RequestContext&);

}  // namespace vantor::http
