// The request sequence: attachment, log, route, endpoint, finishing.
#include "http/request_front.hpp"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <optional>
#include <shared_mutex>

#include "db/db_error.hpp"
#include "db/session.hpp"
#include "http/access_line.hpp"
#include "http/param_list.hpp"
#include "http/route_table.hpp"
#include "text/ascii.hpp"
#include "text/control_escape.hpp"
#include "text/latin1.hpp"

namespace vantor::http {
namespace {

struct RouteResult {
  HttpAnswer answer;
  Outcome outcome;
};

// The database's code page holds the first 256 characters only: the others are stored as
// "?", and the operator is told which parameter lost some (clients that send other
// scripts should send them as percent escapes of their bytes, which are kept).
void note_lost_characters(const std::vector<std::string>& entries, RequestLog& log) {
  for (const auto& entry : entries) {
    if (text::latin1_holds(entry)) continue;
    const std::string_view name = std::string_view(entry).substr(0, entry.find('='));
    log.log("parameter \"" + std::string(name) +
            "\" holds characters the database's code page cannot hold: they are stored as \"?\"");
  }
}

// Who called what, with which parameters: the head of the request's log block.
ParamList logged_request(const HttpRequest& request, std::string_view path, RequestLog& log) {
  ParamList params(build_param_list(request.target, request.content_type, request.body));
  log.log(request.remote_address);
  log.log(std::string(path));
  log.parameters(params.entries());
  note_lost_characters(params.entries(), log);
  return params;
}

// Routes whose tables give no key to look for: the operator is told so.
void log_unsettled(const Route& route, ServerContext& server) {
  server.activity_log.publish(LogBlock{{"unknown outcome of a " + std::string(route.path) +
                                        " write: its tables give no key to look for it; check by hand"},
                                       std::nullopt,
                                       std::nullopt});
}

// A write whose commit had no known outcome is looked for once the database answers.
void settle_later(const std::exception& failure, const Route& route, const ParamList& params,
                  const HttpRequest& request, ServerContext& server) {
  if (dynamic_cast<const db::OutcomeUnknown*>(&failure) == nullptr) return;
  if (route.landing == nullptr || server.landings == nullptr) {
    log_unsettled(route, server);
    return;
  }
  server.landings->settle(route.landing(params, request.remote_address));
}

// The one place where a failure becomes an answer: a database that cannot be reached
// gives the empty answer, any other failure "Some Error !!". The operator reads why.
RouteResult run_route(const HttpRequest& request, std::string_view path, const Route& route, db::DbSession& session,
                      ServerContext& server, RequestLog& log) {
  const ParamList params = logged_request(request, path, log);
  try {
    RequestContext ctx{params, session, log, server.options, *request.cancellation};
    if (route.endpoint != nullptr) {
      route.endpoint(ctx);
    } else {
      session.ensure_alive();  // no database needed, but an unreachable one still shows
    }
    session.finish();
    const Outcome outcome = ctx.answer_text == kFallbackAnswer ? Outcome::Fallback : Outcome::Data;
    const bool echo = route.echoed && server.options.echo;
    return {encode::FinishResponse(std::move(ctx.answer_text), ctx.answer_kind, echo, log,
                                   server.options.json_escape_controls),
            outcome};
  } catch (const std::exception& failure) {
    log.failure(failure);
    if (db::lock_conflict(failure)) server.metrics.count_lock_timeout();
    settle_later(failure, route, params, request, server);
    if (session.unreachable(failure)) return {encode::empty_answer(), Outcome::Empty};
    return {encode::error_answer(), Outcome::Failure};
  }
}

// The caller's own statements while the operator has closed them.
RouteResult closed_route(const HttpRequest& request, std::string_view path, const Route& route, ServerContext& server,
                         RequestLog& log) {
  logged_request(request, path, log);
  log.failure("statements of the caller are closed (adhoc = off)");
  const bool echo = route.echoed && server.options.echo;
  return {encode::FinishResponse(std::string(kFallbackAnswer), encode::AnswerKind::Json, echo, log), Outcome::Fallback};
}

RouteResult borrow_and_run(const HttpRequest& request, std::string_view path, const Route& route, ServerContext& server,
                           RequestLog& log) {
  // requests run while the schema upgrade does not; one asked for goes first, but a
  // request waits for it no longer than a lock
  std::shared_lock hold(server.gate, std::defer_lock);
  if (!hold.try_lock_until(request.arrived + server.pool.settings().lock_timeout)) {
    logged_request(request, path, log);
    log.failure("the schema upgrade held the request off for the whole lock timeout");
    return {encode::error_answer(), Outcome::Failure};
  }
  InFlight::Entry running(server.in_flight, route.label);
  std::optional<db::AttachmentPool::Lease> lease;
  try {
    lease.emplace((route.client_statement() ? server.adhoc_pool : server.pool).borrow());
  } catch (const std::exception& failure) {
    log.failure(failure);
    return {encode::empty_answer(), Outcome::Empty};
  }
  db::DbSession session(**lease, request.arrived);
  return run_route(request, path, route, session, server, log);
}

// The request's result, counted, logged and published; its time counts from its arrival.
HttpAnswer answered(const HttpRequest& request, std::string_view path, const Route& route, RouteResult result,
                    ServerContext& server, RequestLog& log) {
  const auto took = std::chrono::steady_clock::now() - request.arrived;
  server.metrics.count(route.label, result.outcome, took);
  if (server.options.access_log) {
    const AccessFacts facts{std::chrono::system_clock::now(),
                            request.remote_address,
                            request.method,
                            path,
                            result.answer.status,
                            route.label,
                            outcome_name(result.outcome),
                            result.answer.body.size(),
                            std::chrono::duration<double, std::milli>(took).count()};
    log.access(server.options.access_json ? access_json(facts) : access_text(facts));
  }
  LogBlock block = log.take();
  block.route = route.label;
  block.outcome = outcome_name(result.outcome);
  block.client = request.remote_address;
  block.milliseconds = std::chrono::duration<double, std::milli>(took).count();
  server.activity_log.publish(std::move(block));
  return std::move(result.answer);
}

}  // namespace

void route_request(HttpRequest& request) {
  const Route& route = find_route(text::ascii_lowercase(path_of(request.target)));
  request.route = &route;
  request.route_class = route.route_class;
}

HttpAnswer IdHTTPServer1CommandGet(const HttpRequest& request, ServerContext& server) {
  if (request.route == nullptr) {
    HttpRequest routed = request;
    route_request(routed);
    return IdHTTPServer1CommandGet(routed, server);
  }
  const std::string_view path = path_of(request.target);
  const Route& route = *request.route;
  RequestLog log;
  RouteResult result = route.client_statement() && server.options.adhoc == AdhocMode::Off
                           ? closed_route(request, path, route, server, log)
                           : borrow_and_run(request, path, route, server, log);
  return answered(request, path, route, std::move(result), server, log);
}

std::optional<HttpAnswer> RequestFront::run_now_if_free(const HttpRequest& request) {
  if (request.route == nullptr || request.may_wait_on_lock()) return std::nullopt;
  const std::string_view path = path_of(request.target);
  const Route& route = *request.route;
  std::shared_lock hold(server_.gate, std::try_to_lock);
  if (!hold.owns_lock()) return std::nullopt;
  RequestLog log;
  std::optional<db::AttachmentPool::Lease> lease;
  try {
    if (auto free = server_.pool.try_borrow()) lease.emplace(std::move(*free));
  } catch (const std::exception& failure) {
    log.failure(failure);
    return answered(request, path, route, {encode::empty_answer(), Outcome::Empty}, server_, log);
  }
  if (!lease) return std::nullopt;
  InFlight::Entry running(server_.in_flight, route.label);
  db::DbSession session(**lease, request.arrived);
  return answered(request, path, route, run_route(request, path, route, session, server_, log), server_, log);
}

}  // namespace vantor::http
