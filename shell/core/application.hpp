// The program behind either front (the console or the window): start-up from the two
// configuration files, the HTTP server, the attachment pool, the schema upgrade, the
// "No Check Digit" option and the orderly shutdown.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "db/attachment_pool.hpp"
#include "db/upgrade_gate.hpp"
#include "http/http_server.hpp"
#include "http/request_context.hpp"
#include "http/request_front.hpp"
#include "http/request_log.hpp"

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
  Application(OperatorFront& front, http::ActivityLog& log, std::filesystem::path folder);
  ~Application();

  // Start-up: port.txt, ip.txt, listen, connect, title, disconnect. A failure to listen
  // or to connect is shown to the operator; the program goes on either way.
  void FormCreate();
  // Shutdown: stop listening, close client connections, let running requests finish,
  // close the database attachments. Never refuses.
  void FormCloseQuery();
  // The schema upgrade, with requests held off while it runs; its end is shown.
  void RzBitBtn2Click();

  void set_no_check_digit(bool on) { options_.no_check_digit = on; }
  bool no_check_digit() const { return options_.no_check_digit; }
  std::uint16_t port() const { return port_; }
  std::string database() const { return pool_->database(); }
  bool serving() const { return server_ != nullptr && listening_; }

 private:
  OperatorFront& front_;
  http::ActivityLog& log_;
  std::filesystem::path folder_;
  std::uint16_t port_ = 8080;
  http::ServerOptions options_;
  db::UpgradeGate gate_;
  std::unique_ptr<db::AttachmentPool> pool_;
  std::unique_ptr<http::ServerContext> context_;
  std::unique_ptr<http::HttpServer> server_;
  bool listening_ = false;
};

// Requests that may touch the database at once: as many as the machine has cores,
// between two and four (more concurrent statements slow Firebird down).
std::size_t worker_count();

// Lets the process hold as many connections as the server accepts.
void raise_open_file_limit();

// Big answers (item lists of tens of megabytes) are built in memory: let the allocator
// keep such blocks for the next answer instead of mapping fresh pages every time, as it
// learns to do by itself after a few big answers anyway.
void tune_memory_for_big_answers();

}  // namespace vantor::shell
