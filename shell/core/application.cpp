// Start-up, shutdown and the upgrade button.
#include "shell/core/application.hpp"

#include <malloc.h>
#include <sys/resource.h>

#include <mutex>
#include <shared_mutex>

#include "http/request_front.hpp"
#include "schema/upgrade.hpp"
#include "shell/core/admin_answers.hpp"
#include "shell/core/admin_listener.hpp"
#include "shell/core/api_description.hpp"
#include "shell/core/service_notify.hpp"
#include "shell/core/version.hpp"

namespace vantor::shell {

void raise_open_file_limit() {
  rlimit limit{};
  if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
    limit.rlim_cur = limit.rlim_max;
    setrlimit(RLIMIT_NOFILE, &limit);
  }
}

void tune_memory_for_big_answers() {
  mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
  mallopt(M_TRIM_THRESHOLD, 64 * 1024 * 1024);
  mallopt(M_ARENA_MAX, 1);  // one heap: what one worker freed, the next one reuses
}

Application::Application(OperatorFront& front, http::ActivityLog& log, ServerConfig config)
    : front_(front),
      log_(log),
      config_(std::move(config)),
      console_access_(shell::console_access(config_, console_notes_)) {
  options_.no_check_digit = config_.no_check_digit;
  options_.echo = config_.echo;
  options_.json_escape_controls = config_.json_escape_controls;
  options_.access_log = config_.access_log;
  options_.access_json = config_.access_json;
  options_.adhoc = config_.adhoc;
  options_.adhoc_max_bytes = config_.adhoc_max_bytes;
  options_.adhoc_timeout = config_.adhoc_timeout;
  // one attachment for each worker and each event loop (which runs reads inline)
  const std::size_t attachments = config_.http.workers + config_.http.event_loops;
  pool_ = std::make_unique<db::AttachmentPool>(config_.database, attachments, config_.db, deadlines_);
  if (!config_.adhoc_login.user.empty()) {
    db::DatabaseSettings adhoc = config_.db;
    adhoc.user = config_.adhoc_login.user;
    adhoc.password = config_.adhoc_login.password;
    adhoc_pool_ = std::make_unique<db::AttachmentPool>(config_.database, config_.http.workers, adhoc, deadlines_);
  }
  context_ = std::make_unique<http::ServerContext>(
      http::ServerContext{*pool_, adhoc_pool_ ? *adhoc_pool_ : *pool_, gate_, options_, feed_, metrics_, in_flight_});
  landings_ = std::make_unique<http::LandingChecks>(*pool_, feed_, config_.db.probe_interval);
  context_->landings = landings_.get();
  front_runner_ = std::make_unique<http::RequestFront>(*context_);
  admin_runner_ = std::make_unique<AdminAnswers>(*this);
}

Application::~Application() {
  FormCloseQuery();
  if (console_update_.joinable()) console_update_.join();
}

void Application::FormCreate() {
  server_ = std::make_unique<http::HttpServer>(config_.http, *front_runner_);
  server_->on_refused([this](const std::string& address) { refusals_.note(address); });
  try {
    server_->start();
    listening_ = true;
  } catch (const std::exception& failure) {
    front_.show_error(failure.what());
    return;
  }
  for (const auto& failure : server_->listen_failures()) front_.show_error("cannot listen on " + failure);
  probe_ = std::make_unique<db::LinkProbe>(pools(), config_.db, deadlines_);
  // a prober that reaches whatever else holds the admin port would be told lies: the
  // server does not start without it, as without its clients' port
  if (!start_admin()) {
    server_->stop();
    probe_.reset();
    listening_ = false;
    return;
  }
  std::string addresses;
  for (const auto& address : server_->listening_addresses()) addresses += (addresses.empty() ? "" : ", ") + address;
  front_.show_status("vantor-server " + version_text() + ": database " + config_.database + ", listening on " +
                     addresses + (admin_ ? ", admin on " + admin_->listening_addresses().front() : ""));
  if (admin_) {
    for (const auto& note : console_notes_) front_.show_error(note);
  }
  start_watchdog(*server_);
  server_->every(std::chrono::seconds(2), [this] { memory_return_.look(*server_); });
  notify_ready();
  try {
    pool_->borrow();
  } catch (const std::exception& failure) {
    front_.show_error(failure.what());
    return;
  }
  try {
    front_.set_title("Vantor API Server ON PORT " + std::to_string(config_.http.port));
  } catch (...) {
  }
  check_adhoc_login();
  detach_pools();  // every request attaches again as it needs
}

// A login the operator got wrong shows at start, not only in the failures of requests.
void Application::check_adhoc_login() {
  if (!adhoc_pool_) return;
  try {
    adhoc_pool_->borrow();
  } catch (const std::exception& failure) {
    front_.show_error("the ad-hoc login " + config_.adhoc_login.user + ": " + failure.what());
  }
}

std::vector<db::AttachmentPool*> Application::pools() {
  std::vector<db::AttachmentPool*> all{pool_.get()};
  if (adhoc_pool_) all.push_back(adhoc_pool_.get());
  return all;
}

void Application::detach_pools() {
  for (auto* pool : pools()) pool->detach_all();
}

bool Application::start_admin() {
  if (!config_.admin) return true;
  admin_ = std::make_unique<http::HttpServer>(admin_settings(config_), *admin_runner_);
  try {
    admin_->start();
  } catch (const std::exception& failure) {
    front_.show_error("the admin listener: " + std::string(failure.what()));
    admin_.reset();
    return false;
  }
  return true;
}

void Application::FormCloseQuery() {
  if (server_) notify_stopping();
  // requests still running when the grace period ends are woken from their waits
  if (server_) {
    server_->stop([this] {
      for (auto* pool : pools()) pool->abort_in_use();
    });
  }
  if (admin_) admin_->stop();
  admin_.reset();
  probe_.reset();
  detach_pools();
  server_.reset();
  listening_ = false;
}

void Application::RzBitBtn2Click() {
  schema::UpgradeOutcome outcome;
  upgrading_ = true;  // readiness says so at once: the requests are about to be held off
  if (const std::string running = in_flight_.describe(); !running.empty()) status("update waiting for " + running);
  {
    std::lock_guard hold(gate_);
    ++upgrade_runs_;
    detach_pools();
    outcome =
        schema::SchemaUpgrade(pool_->database(), config_.db).run([this](const std::string& line) { status(line); });
    detach_pools();  // statements prepared before are stale
    upgrading_ = false;
  }
  if (outcome.finished) {
    status(outcome.message);
  } else {
    feed_.status(outcome.message);
    front_.show_error(outcome.message);
  }
}

bool Application::start_update() {
  if (console_update_running_.exchange(true)) return false;
  if (console_update_.joinable()) console_update_.join();  // the last one, ended
  console_update_ = std::thread([this] {
    RzBitBtn2Click();
    console_update_running_ = false;
  });
  return true;
}

std::string Application::api_description() {
  std::lock_guard lock(api_description_mutex_);
  if (api_description_.empty()) api_description_ = shell::api_description(pool_->database(), config_.db);
  return api_description_;
}

void Application::status(const std::string& line) {
  front_.show_status(line);
  feed_.status(line);
}

}  // namespace vantor::shell
