// The console's answers.
#include "shell/core/console_answers.hpp"

#include <chrono>
#include <cstdio>

#include "http/param_list.hpp"
#include "shell/core/admin_answers.hpp"
#include "shell/core/application.hpp"
#include "shell/core/version.hpp"
#include "text/json_string.hpp"

namespace vantor::shell {
namespace {

using namespace std::chrono_literals;

// Only the program's own script and style run; a picture comes as a data: address; no
// page of another site may frame it.
constexpr const char* kPagePolicy =
    "default-src 'none'; script-src 'self'; style-src 'self'; img-src data:; connect-src 'self'; "
    "base-uri 'none'; form-action 'none'; frame-ancestors 'none'";

http::HttpAnswer answer(int status, std::string type, std::string body) {
  http::HttpAnswer out(std::move(type), std::move(body), status);
  out.headers = {{"Cache-Control", "no-store"}, {"X-Content-Type-Options", "nosniff"}};
  return out;
}

http::HttpAnswer text(int status, std::string body) {
  return answer(status, "text/plain; charset=utf-8", std::move(body) + "\n");
}

http::HttpAnswer page(std::string type, const char* body) {
  http::HttpAnswer out = answer(200, std::move(type), body);
  out.headers.emplace_back("Content-Security-Policy", kPagePolicy);
  out.headers.emplace_back("Referrer-Policy", "no-referrer");
  return out;
}

http::HttpAnswer unauthorized() {
  http::HttpAnswer out = text(401, "the console's token is needed (admin_token_file)");
  out.headers.emplace_back("WWW-Authenticate", "Bearer realm=\"vantor console\"");
  return out;
}

std::string number(double value) {
  char text[32];
  std::snprintf(text, sizeof(text), "%.4f", value);
  return text;
}

std::string field(std::string_view name, const std::string& json) { return text::json_quoted(name) + ":" + json; }

std::string windows_json(const std::vector<MetricsHistory::RouteWindow>& windows) {
  std::string out = "[";
  for (const auto& route : windows) {
    if (out.size() > 1) out += ",";
    out += "{" + field("route", text::json_quoted(route.route)) + "," +
           field("requests", std::to_string(route.requests)) + "," + field("failures", std::to_string(route.failures)) +
           "," + field("fallbacks", std::to_string(route.fallbacks)) + "," +
           field("empty", std::to_string(route.empty)) + "," + field("p50", number(route.p50)) + "," +
           field("p99", number(route.p99)) + "}";
  }
  return out + "]";
}

std::string chart_json(const std::vector<MetricsHistory::Second>& seconds) {
  std::string requests = "[";
  std::string failures = "[";
  for (const auto& second : seconds) {
    if (requests.size() > 1) {
      requests += ",";
      failures += ",";
    }
    requests += std::to_string(second.requests);
    failures += std::to_string(second.failures);
  }
  return "{" + field("requests", requests + "]") + "," + field("failures", failures + "]") + "}";
}

std::string state_json(Application& application) {
  const auto uptime =
      std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now() - application.started());
  const std::string reason = not_ready_reason(application);
  const db::AttachmentPool& pool = application.pool();
  const std::size_t idle = pool.idle_count();
  ConsoleFeed& console = application.console();
  std::string out = "{";
  out += field("version", text::json_quoted(version_text())) + ",";
  out += field("database", text::json_quoted(application.database())) + ",";
  out += field("uptime", std::to_string(uptime.count())) + ",";
  out += field("ready", reason.empty() ? "true" : "false") + ",";
  out += field("reason", text::json_quoted(reason)) + ",";
  out += field("link", text::json_quoted(pool.link_down() ? "down" : "up")) + ",";
  out += field("nocheck", application.no_check_digit() ? "true" : "false") + ",";
  out += field("upgrading", application.upgrading() ? "true" : "false") + ",";
  out += field("busy", std::to_string(pool.size() - idle)) + ",";
  out += field("idle", std::to_string(idle)) + ",";
  if (application.serving()) {
    const http::HttpServer& server = application.server();
    out += field("connections", std::to_string(server.connection_count())) + ",";
    out += field("queue", std::to_string(server.queued_requests())) + ",";
    out += field("answerBytes", std::to_string(server.answer_bytes_held())) + ",";
  }
  out += field("viewers", std::to_string(console.viewers())) + ",";
  out += field("dropped", std::to_string(console.dropped())) + ",";
  out += field("consoleBytes", std::to_string(console.bytes_held())) + ",";
  const auto now = application.metrics().totals();
  out += field("minute", windows_json(console.history().window(60s, now))) + ",";
  out += field("quarter", windows_json(console.history().window(900s, now))) + ",";
  out += field("chart", chart_json(console.history().per_second()));
  return out + "}";
}

http::HttpAnswer events(Application& application) {
  auto viewer = application.console().open_viewer();
  if (!viewer) return text(503, "too many console viewers: " + std::to_string(ConsoleFeed::kMaxViewers) + " are open");
  http::HttpAnswer out = answer(200, "text/event-stream; charset=utf-8", "");
  out.stream = std::move(viewer);
  return out;
}

http::HttpAnswer nocheck(const http::HttpRequest& request, Application& application) {
  if (request.body != "on" && request.body != "off") return text(400, "send on or off");
  application.set_no_check_digit(request.body == "on");
  application.console().status(std::string("nocheck ") + request.body + " (from the operator console)");
  return text(200, std::string("nocheck ") + request.body);
}

http::HttpAnswer action(const http::HttpRequest& request, std::string_view path, Application& application) {
  if (request.method != "POST") {
    http::HttpAnswer out = text(405, "use POST");
    out.headers.emplace_back("Allow", "POST");
    return out;
  }
  if (!application.console_access().may_act(request)) return unauthorized();
  if (path == "/console/nocheck") return nocheck(request, application);
  if (!application.start_update()) return text(409, "an update runs");
  return text(202, "update asked for");
}

}  // namespace

std::optional<http::HttpAnswer> console_answer(const http::HttpRequest& request, Application& application) {
  const std::string_view path = http::path_of(request.target);
  const bool console = path == "/" || path == "/console.js" || path == "/console.css" || path.starts_with("/console/");
  if (!console) return std::nullopt;
  const ConsoleAccess& access = application.console_access();
  if (!access.served) return text(404, "the operator console is off on this address (it needs admin_token_file)");
  // the page and its assets hold nothing of the server: what it shows comes with the token
  if (path == "/") return page("text/html; charset=utf-8", kConsoleHtml);
  if (path == "/console.js") return page("text/javascript; charset=utf-8", kConsoleScript);
  if (path == "/console.css") return page("text/css; charset=utf-8", kConsoleStyle);
  if (path == "/console/update" || path == "/console/nocheck") return action(request, path, application);
  if (!access.may_watch(request)) return unauthorized();
  if (path == "/console/state") return answer(200, "application/json", state_json(application));
  if (path == "/console/events") return events(application);
  if (path == "/console/picture")
    return answer(200, "text/plain; charset=us-ascii", application.console().picture().second);
  return text(404, "not found");
}

}  // namespace vantor::shell
