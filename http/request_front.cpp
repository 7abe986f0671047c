// The request sequence: attachment, log, route, endpoint, finishing.
#include "http/request_front.hpp"

#include <optional>

#include "db/session.hpp"
#include "http/param_list.hpp"
#include "http/route_table.hpp"
#include "text/ascii.hpp"

namespace vantor::http {
namespace {

// Requests run while the schema upgrade does not.
class SharedHold {
 public:
  explicit SharedHold(db::UpgradeGate& gate) : gate_(gate) { gate_.lock_shared(); }
  ~SharedHold() { gate_.unlock_shared(); }
  SharedHold(const SharedHold&) = delete;
  SharedHold& operator=(const SharedHold&) = delete;

 private:
  db::UpgradeGate& gate_;
};

// The one place where a failure becomes an answer: a database that cannot be reached
// gives the empty answer, any other failure "Some Error !!". The operator reads why.
HttpAnswer run_route(const HttpRequest& request, std::string_view path, const Route& route, db::DbSession& session,
                     ServerContext& server, RequestLog& log) {
  const ParamList params(build_param_list(request.target, request.content_type, request.body));
  log.log(request.remote_address);
  log.log(std::string(path));
  log.parameters(params.entries());
  try {
    RequestContext ctx{params, session, log, server.options};
    if (route.endpoint != nullptr) {
      route.endpoint(ctx);
    } else {
      session.ensure_alive();  // no database needed, but an unreachable one still shows
    }
    session.finish();
    return encode::FinishResponse(std::move(ctx.answer_text), ctx.answer_kind, route.echoed, log);
  } catch (const std::exception& failure) {
    log.failure(failure);
    return session.unreachable(failure) ? encode::empty_answer() : encode::error_answer();
  }
}

}  // namespace

bool may_wait_on_lock(std::string_view target) {
  return find_route(text::ascii_lowercase(path_of(target))).may_wait_on_lock;
}

HttpAnswer IdHTTPServer1CommandGet(const HttpRequest& request, ServerContext& server) {
  const std::string_view path = path_of(request.target);
  const Route& route = find_route(text::ascii_lowercase(path));
  RequestLog log;
  HttpAnswer answer;
  {
    SharedHold hold(server.gate);
    std::optional<db::AttachmentPool::Lease> lease;
    try {
      lease.emplace(server.pool.borrow());
    } catch (const std::exception& failure) {
      log.failure(failure);
      server.activity_log.publish(log.take());
      return encode::empty_answer();
    }
    db::DbSession session(**lease);
    answer = run_route(request, path, route, session, server, log);
  }
  server.activity_log.publish(log.take());
  return answer;
}

}  // namespace vantor::http
