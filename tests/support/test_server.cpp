// In-process server for HTTP tests.
#include "tests/support/test_server.hpp"

#include <stdexcept>

namespace vantor::test {

void RecordingLog::publish(http::LogBlock block) {
  std::lock_guard lock(mutex_);
  blocks_.push_back(std::move(block));
}

std::vector<http::LogBlock> RecordingLog::blocks() const {
  std::lock_guard lock(mutex_);
  return blocks_;
}

std::vector<std::string> RecordingLog::last() const {
  std::lock_guard lock(mutex_);
  return blocks_.empty() ? std::vector<std::string>{} : blocks_.back().entries;
}

http::ServerSettings TestServer::fast_settings() {
  http::ServerSettings settings;
  settings.port = 0;
  settings.backlog = 1024;
  settings.workers = 2;
  return settings;
}

TestServer::TestServer(Template source, http::ServerSettings settings)
    : database_(std::make_unique<TestDatabase>(source)) {
  start(database_->connection_string(), settings);
}

TestServer::TestServer(std::string database, http::ServerSettings settings) { start(std::move(database), settings); }

void TestServer::start(std::string database, http::ServerSettings settings) {
  pool_ = std::make_unique<db::AttachmentPool>(std::move(database), settings.workers);
  context_ = std::make_unique<http::ServerContext>(http::ServerContext{*pool_, gate_, options_, log_});
  server_ = std::make_unique<http::HttpServer>(settings, [context = context_.get()](const http::HttpRequest& request) {
    return http::IdHTTPServer1CommandGet(request, *context);
  });
  server_->start();
}

TestServer::~TestServer() {
  server_->stop();
  pool_->detach_all();
}

RawResponse TestServer::get(std::string_view target) const {
  auto response = http_get(port(), target);
  if (!response) throw std::runtime_error("no answer to " + std::string(target));
  return *response;
}

}  // namespace vantor::test
