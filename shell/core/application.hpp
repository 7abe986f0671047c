// The program behind either front (the console or the window), and the one place where
// its parts are put together: the attachment pool, the request front, the HTTP server,
// the schema upgrade with the request gate, the "No Check Digit" option and the orderly
// shutdown. The tests build their servers through it too.
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "db/attachment_pool.hpp"
#include "db/database_settings.hpp"
#include "db/link_probe.hpp"
#include "db/upgrade_gate.hpp"
#include "http/http_server.hpp"
#include "http/metrics.hpp"
#include "http/refusal_log.hpp"
#include "http/request_context.hpp"
#include "http/request_front.hpp"
#include "http/request_log.hpp"
#include "shell/core/admin_answers.hpp"
#include "shell/core/config_files.hpp"
#include "shell/core/console_access.hpp"
#include "shell/core/console_feed.hpp"
#include "shell/core/memory_return.hpp"
#include "shell/core/service_notify.hpp"

namespace vantor::shell {

// What the operator sees, as the front shows it.
class OperatorFront {
 public:
  virtual ~OperatorFront() = default;
  virtual void set_title(const std::string& title) = 0;
  // An error box: the failure's own message.
  virtual void show_error(const std::string& message) = 0;
  // A line for the operator, such as the end of the upgrade.
  virtual void show_status(const std::string& message) = 0;
};

class Application {
 public:
  Application(OperatorFront& front, http::ActivityLog& log, ServerConfig config);
  ~Application();

  // Start-up: connect, listen, title, disconnect. A failure to listen or to connect is
  // shown to the operator; the program goes on either way.
  void FormCreate();
  // Shutdown: stop listening, close client connections, let running requests finish,
  // close the database attachments. Never refuses.
  void FormCloseQuery();
  // The schema upgrade with requests held off: waits for running requests to end,
  // detaches the pool (its prepared statements would keep the old objects in use),
  // runs, lets requests go on. Its end is shown.
  void RzBitBtn2Click();
  // The same upgrade asked for from the operator console: it runs on a thread of its own
  // and its lines go to the console's viewers too. False while one runs.
  bool start_update();

  void set_no_check_digit(bool on) { options_.no_check_digit = on; }
  std::chrono::system_clock::time_point started() const { return started_; }
  // Takes what a running server can take of settings read anew (SIGHUP): the log
  // settings, nocheck, the access lists, the caller's statements' settings; the lines
  // for the log say what was taken and what waits for a restart. Settings with a
  // problem change nothing.
  std::vector<std::string> reload(const ConfigReading& reading);
  bool no_check_digit() const { return options_.no_check_digit; }
  std::uint16_t port() const { return server_ ? server_->port() : config_.http.port; }
  std::string database() const { return pool_->database(); }
  bool serving() const { return server_ != nullptr && listening_; }

  db::AttachmentPool& pool() { return *pool_; }
  const db::AttachmentPool& pool() const { return *pool_; }
  const db::DatabaseSettings& database_settings() const { return config_.db; }
  http::Metrics& metrics() { return metrics_; }
  ConsoleFeed& console() { return feed_; }
  // The API description, made on first asking, then kept; throws when the database
  // cannot be reached.
  std::string api_description();
  const ConsoleAccess& console_access() const { return console_access_; }
  // From the moment an upgrade is asked for until it ends.
  bool upgrading() const { return upgrading_; }
  const db::AttachmentPool* adhoc_pool() const { return adhoc_pool_.get(); }
  std::uint64_t upgrade_runs() const { return upgrade_runs_; }
  // The admin listener; nullptr when none is set or it cannot listen.
  http::HttpServer* admin() { return admin_.get(); }
  // The link probe; nullptr before start-up.
  const db::LinkProbe* probe() const { return probe_.get(); }
  db::UpgradeGate& gate() { return gate_; }
  http::ServerOptions& options() { return options_; }
  http::HttpServer& server() { return *server_; }
  const http::HttpServer& server() const { return *server_; }

 private:
  OperatorFront& front_;
  http::ActivityLog& log_;
  ServerConfig config_;
  http::ServerOptions options_;
  db::UpgradeGate gate_;
  std::unique_ptr<db::AttachmentPool> pool_;
  std::unique_ptr<db::AttachmentPool> adhoc_pool_;  // the ad-hoc login's, when it has one
  // times the round trips to the database (the probe's); shared with a probe thread that
  // may outlive the application on a host that does not answer
  std::shared_ptr<db::DeadlineWatch> deadlines_ = std::make_shared<db::DeadlineWatch>();
  std::unique_ptr<db::LinkProbe> probe_;
  std::unique_ptr<http::LandingChecks> landings_;
  std::unique_ptr<http::ServerContext> context_;
  // the runners outlive the servers that hold them
  std::unique_ptr<http::RequestFront> front_runner_;
  std::unique_ptr<http::RequestRunner> admin_runner_;
  std::unique_ptr<http::HttpServer> server_;
  std::unique_ptr<http::HttpServer> admin_;
  http::Metrics metrics_;
  ConsoleFeed feed_{log_, metrics_};  // every block goes through it to the front
  ConsoleAccess console_access_;
  std::vector<std::string> console_notes_;  // for the operator at start
  http::InFlight in_flight_;
  http::RefusalLog refusals_{feed_, metrics_};
  MemoryReturn memory_return_;  // on the server's first loop only
  const std::chrono::system_clock::time_point started_ = std::chrono::system_clock::now();
  std::atomic<bool> upgrading_{false};
  std::atomic<std::uint64_t> upgrade_runs_{0};
  std::atomic<bool> console_update_running_{false};
  std::mutex api_description_mutex_;
  std::string api_description_;  // empty until made
  std::thread console_update_;
  bool listening_ = false;

  // A line for the operator, on the front and in the console.
  void status(const std::string& line);

  // False when the admin listener is asked for and cannot listen.
  bool start_admin();
  // The main pool, then the ad-hoc login's when there is one.
  std::vector<db::AttachmentPool*> pools();
  void detach_pools();
  void check_adhoc_login();
};

// Lets the process hold as many connections as the server accepts.
void raise_open_file_limit();

// Big answers (item lists of tens of megabytes) are built in memory: let the allocator
// keep such blocks for the next answer instead of mapping fresh pages every time, as it
// learns to do by itself after a few big answers anyway.
void tune_memory_for_big_answers();

}  // namespace vantor::shell
