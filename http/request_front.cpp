// The request sequence: attachment, log, route, endpoint, finishing.
#include "http/request_front.hpp"

#include <optional>

#include "db/db_error.hpp"
#include "db/session.hpp"
#include "http/param_list.hpp"
#include "http/route_table.hpp"

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

std::string parameter_lines(const std::vector<std::string>& entries) {
  std::string text;
  for (const auto& entry : entries) {
    text += entry;
    text += '\n';
  }
  return text;
}

HttpAnswer run_route(const HttpRequest& request, std::string_view path, db::DbSession& session,
                     ServerContext& server, RequestLog& log) {
  const ParamList params(build_param_list(request.target, request.content_type, request.body));
  log.log(request.remote_address);
  log.log(std::string(path));
  log.log(parameter_lines(params.entries()));
  try {
    try {
      RequestContext ctx{params, session, log, server.options};
      if (Endpoint endpoint = find_route(path)) {
        endpoint(ctx);
      } else {
        session.ensure_alive();  // no database needed, but an unreachable one still shows
      }
      session.finish();
      return encode::FinishResponse(std::move(ctx.answer_text), ctx.answer_kind, path, log);
    } catch (const std::exception& failure) {
      session.throw_if_unreachable(failure);
      throw;
    }
  } catch (const db::DatabaseUnreachable& failure) {
    log.failure(failure.what());
    return encode::empty_answer();
  } catch (const std::exception& failure) {
    log.failure(failure.what());
    return encode::error_answer();
  }
}

}  // namespace

HttpAnswer IdHTTPServer1CommandGet(const HttpRequest& request, ServerContext& server) {
  RequestLog log;
  HttpAnswer answer;
  {
    SharedHold hold(server.gate);
    std::optional<db::AttachmentPool::Lease> lease;
    try {
      lease.emplace(server.pool.borrow());
    } catch (const std::exception& failure) {
      log.failure(failure.what());
      server.activity_log.publish(log.take());
      return encode::empty_answer();
    }
    db::DbSession session(**lease);
    answer = run_route(request, path_of(request.target), session, server, log);
  }
  server.activity_log.publish(log.take());
  return answer;
}

}  // namespace vantor::http
