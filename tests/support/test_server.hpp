// The program's own server, put together by the application as the programs do, on an
// ephemeral port in the test's own process, on a fresh test database.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "http/http_server.hpp"
#include "shell/core/application.hpp"
#include "tests/support/http_client.hpp"
#include "tests/support/test_database.hpp"

namespace vantor::test {

// Keeps the published log blocks for the test to read.
class RecordingLog final : public http::ActivityLog {
 public:
  void publish(http::LogBlock block) override;
  std::vector<http::LogBlock> blocks() const;
  // The entries of the last block.
  std::vector<std::string> last() const;

 private:
  mutable std::mutex mutex_;
  std::vector<http::LogBlock> blocks_;
};

// Keeps what the application shows the operator.
class RecordingFront final : public shell::OperatorFront {
 public:
  void set_title(const std::string& title) override;
  void show_error(const std::string& message) override;
  void show_status(const std::string& message) override;
  std::vector<std::string> lines() const;

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> lines_;
};

class TestServer {
 public:
  explicit TestServer(Template source = Template::Upgraded, http::ServerSettings settings = fast_settings(),
                      db::DatabaseSettings db_settings = {});
  // A fresh database of source, served with the settings change makes to the usual ones.
  TestServer(Template source, const std::function<void(shell::ServerConfig&)>& change);
  // Serves a database of the caller's (a connection string).
  TestServer(std::string database, http::ServerSettings settings, db::DatabaseSettings db_settings = {});
  // Serves config as it stands (an admin listener on port 0 gets an ephemeral port).
  explicit TestServer(shell::ServerConfig config);
  ~TestServer();

  static http::ServerSettings fast_settings();

  std::uint16_t port() const { return application_->port(); }
  // GET target, with Connection: close.
  RawResponse get(std::string_view target) const;
  // The body of GET target.
  std::string body(std::string_view target) const { return get(target).body; }
  // "200 ready\n" or "503 not ready: ...\n" from the admin listener's /ready.
  std::string ready() const;

  TestDatabase& database() { return *database_; }
  RecordingLog& log() { return log_; }
  RecordingFront& front() { return front_; }
  shell::Application& application() { return *application_; }
  http::ServerOptions& options() { return application_->options(); }
  db::AttachmentPool& pool() { return application_->pool(); }
  db::UpgradeGate& gate() { return application_->gate(); }
  http::HttpServer& server() { return application_->server(); }

 private:
  void start(shell::ServerConfig config);

  std::unique_ptr<TestDatabase> database_;
  RecordingLog log_;
  RecordingFront front_;
  std::unique_ptr<shell::Application> application_;
};

}  // namespace vantor::test
