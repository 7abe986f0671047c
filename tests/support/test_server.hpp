// The request front behind a real HTTP server on an ephemeral port, in the test's own
// process, on a fresh test database.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "db/attachment_pool.hpp"
#include "db/upgrade_gate.hpp"
#include "http/http_server.hpp"
#include "http/request_front.hpp"
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

class TestServer {
 public:
  explicit TestServer(Template source = Template::Upgraded, http::ServerSettings settings = fast_settings());
  // Serves a database of the caller's (a connection string).
  TestServer(std::string database, http::ServerSettings settings);
  ~TestServer();

  static http::ServerSettings fast_settings();

  std::uint16_t port() const { return server_->port(); }
  // GET target, with Connection: close.
  RawResponse get(std::string_view target) const;
  // The body of GET target.
  std::string body(std::string_view target) const { return get(target).body; }

  TestDatabase& database() { return *database_; }
  RecordingLog& log() { return log_; }
  http::ServerOptions& options() { return options_; }
  db::AttachmentPool& pool() { return *pool_; }
  db::UpgradeGate& gate() { return gate_; }
  http::HttpServer& server() { return *server_; }

 private:
  void start(std::string database, http::ServerSettings settings);

  std::unique_ptr<TestDatabase> database_;
  RecordingLog log_;
  http::ServerOptions options_;
  db::UpgradeGate gate_;
  std::unique_ptr<db::AttachmentPool> pool_;
  std::unique_ptr<http::ServerContext> context_;
  std::unique_ptr<http::HttpServer> server_;
};

}  // namespace vantor::test
