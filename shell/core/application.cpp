// Start-up, shutdown and the upgrade button.
#include "shell/core/application.hpp"

#include <malloc.h>
#include <sys/resource.h>

#include <algorithm>
#include <thread>

#include "http/request_front.hpp"
#include "schema/upgrade.hpp"
#include "shell/core/config_files.hpp"

namespace vantor::shell {

std::size_t worker_count() { return std::clamp<std::size_t>(2 * std::thread::hardware_concurrency(), 2, 4); }

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

Application::Application(OperatorFront& front, http::ActivityLog& log, std::filesystem::path folder)
    : front_(front), log_(log), folder_(std::move(folder)) {
  // without ip.txt: the demo database beside the program, through the embedded engine
  pool_ = std::make_unique<db::AttachmentPool>((folder_ / "vantor.fdb").string(), worker_count());
  context_ = std::make_unique<http::ServerContext>(http::ServerContext{*pool_, gate_, options_, log_});
}

Application::~Application() { FormCloseQuery(); }

void Application::FormCreate() {
  if (const auto line = first_line(folder_ / "port.txt")) {
    if (const auto port = port_from(*line)) port_ = *port;
  }
  if (const auto line = first_line(folder_ / "ip.txt")) {
    pool_->set_database(*line);
    try {
      pool_->borrow();
    } catch (const std::exception&) {
      // reported by the connect step below
    }
  }

  http::ServerSettings settings;
  settings.port = port_;
  settings.workers = pool_->size();
  server_ = std::make_unique<http::HttpServer>(
      settings, [context = context_.get()](const http::HttpRequest& request) {
        return http::IdHTTPServer1CommandGet(request, *context);
      });
  try {
    server_->start();
    listening_ = true;
  } catch (const std::exception& failure) {
    front_.show_error(failure.what());
    return;
  }
  try {
    pool_->borrow();
  } catch (const std::exception& failure) {
    front_.show_error(failure.what());
    return;
  }
  try {
    front_.set_title("Vantor API Server ON PORT " + std::to_string(port_));
  } catch (...) {
  }
  pool_->detach_all();  // every request attaches again as it needs
}

void Application::FormCloseQuery() {
  if (server_) server_->stop();
  pool_->detach_all();
  server_.reset();
  listening_ = false;
}

void Application::RzBitBtn2Click() {
  const auto outcome = schema::RzBitBtn2Click(gate_, *pool_);
  if (outcome.finished) {
    front_.show_status(outcome.message);
  } else {
    front_.show_error(outcome.message);
  }
}

}  // namespace vantor::shell
