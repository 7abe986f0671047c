// Liveness, readiness and the metrics.
#include "shell/core/admin_answers.hpp"

#include <chrono>
#include <string>

#include "http/param_list.hpp"
#include "http/prometheus_text.hpp"
#include "shell/core/api_description.hpp"
#include "shell/core/application.hpp"
#include "shell/core/console_answers.hpp"
#include "shell/core/process_metrics.hpp"
#include "shell/core/version.hpp"

namespace vantor::shell {
namespace {

http::HttpAnswer text_answer(int status, std::string body) {
  http::HttpAnswer answer;
  answer.status = status;
  answer.content_type = "text/plain; charset=utf-8";
  answer.body = std::move(body);
  return answer;
}

}  // namespace

std::string not_ready_reason(Application& application) {
  if (application.upgrading()) return "the schema upgrade runs";
  const db::LinkProbe* probe = application.probe();
  if (probe == nullptr) return "starting";
  if (std::string failure = probe->failure(); !failure.empty()) return failure;
  // the next answer is due one interval after the last, and may take up to the probe's
  // time-out: a shorter window would count a healthy link out for a moment every round
  const auto& settings = application.database_settings();
  const auto age = std::chrono::steady_clock::now() - probe->last_answer();
  if (application.pool().link_down() || age > settings.probe_interval + settings.probe_timeout) {
    return "the database does not answer";
  }
  // requests' round trips the server was not found running: busy ones do not count
  const std::size_t silent = application.pool().silent_trips();
  if (silent * 2 > application.pool().size()) {
    return std::to_string(silent) + " of " + std::to_string(application.pool().size()) +
           " attachments get no answer from the database";
  }
  return {};
}

namespace {

http::HttpAnswer ready(Application& application) {
  const std::string reason = not_ready_reason(application);
  if (!reason.empty()) return text_answer(503, "not ready: " + reason + "\n");
  return text_answer(200, "ready\n");
}

http::HttpAnswer metrics(Application& application) {
  http::PrometheusText out;
  application.metrics().write(out);
  const std::string reason = not_ready_reason(application);
  out.gauge("vantor_database_up", "1 while a request would be served now (what /ready says), else 0.",
            reason.empty() ? 1 : 0);
  const db::AttachmentPool& pool = application.pool();
  const std::size_t idle = pool.idle_count();
  out.gauge("vantor_attachments_busy", "Attachments lent to requests.", pool.size() - idle);
  out.gauge("vantor_attachments_idle", "Attachments waiting for a request.", idle);
  if (application.serving()) {
    const http::HttpServer& server = application.server();
    out.gauge("vantor_queue_length", "Requests waiting for a worker.", server.queued_requests());
    out.gauge("vantor_answer_held_bytes", "Answer bytes held in memory.", server.answer_bytes_held());
    out.gauge("vantor_answer_bytes_held",
              "Deprecated: the same as vantor_answer_held_bytes, kept for one release under its old name.",
              server.answer_bytes_held());
    out.gauge("vantor_body_held_bytes", "Request body bytes held in memory.", server.body_bytes_held());
    out.gauge("vantor_open_connections", "Open client connections.", server.connection_count());
  }
  out.counter("vantor_attaches_total", "Attachments made, first ones and reconnects.", pool.attach_count());
  out.counter("vantor_idle_replacements_total", "Idle attachments found gone before they were lent.",
              pool.idle_replacements());
  out.counter("vantor_silent_cuts_total", "Round trips cut: the server was not running them.", pool.silent_cuts());
  const db::LinkProbe* probe = application.probe();
  out.counter("vantor_link_down_total", "Times the database link was found down.",
              probe != nullptr ? probe->down_periods() : 0);
  out.counter("vantor_upgrade_runs_total", "Schema upgrade runs.", application.upgrade_runs());
  out.family("vantor_build_info", "The version and commit the program was built from; always 1.", "gauge");
  out.sample("vantor_build_info", {{"version", version()}, {"commit", commit()}}, std::uint64_t{1});
  write_process_metrics(out, application.started());
  http::HttpAnswer answer = text_answer(200, out.take());
  answer.content_type = "text/plain; version=0.0.4; charset=utf-8";
  return answer;
}

// Made once, on the first request that asks (it prepares the statements on an attachment
// of its own), then kept.
http::HttpAnswer openapi(Application& application) {
  try {
    return http::HttpAnswer("application/json", application.api_description());
  } catch (const std::exception& failure) {
    return text_answer(
        503, "the API description reads the answers' columns from the database: " + std::string(failure.what()) + "\n");
  }
}

}  // namespace

http::HttpAnswer admin_answer(const http::HttpRequest& request, Application& application) {
  const std::string_view path = http::path_of(request.target);
  if (path == "/live") return text_answer(200, "live\n");
  if (path == "/ready") return ready(application);
  if (path == "/metrics") return metrics(application);
  if (path == "/openapi.json") return openapi(application);
  if (auto answer = console_answer(request, application)) return std::move(*answer);
  return text_answer(404, "not found\n");
}

}  // namespace vantor::shell

namespace vantor::shell {

std::optional<http::HttpAnswer> AdminAnswers::run_now_if_free(const http::HttpRequest& request) {
  const std::string_view path = http::path_of(request.target);
  if (path == "/live" || path == "/ready") return admin_answer(request, application_);
  return std::nullopt;
}

}  // namespace vantor::shell
