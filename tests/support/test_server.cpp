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

void RecordingFront::set_title(const std::string& title) {
  std::lock_guard lock(mutex_);
  lines_.push_back(title);
}

void RecordingFront::show_error(const std::string& message) {
  std::lock_guard lock(mutex_);
  lines_.push_back(message);
}

void RecordingFront::show_status(const std::string& message) {
  std::lock_guard lock(mutex_);
  lines_.push_back(message);
}

std::vector<std::string> RecordingFront::lines() const {
  std::lock_guard lock(mutex_);
  return lines_;
}

http::ServerSettings TestServer::fast_settings() {
  http::ServerSettings settings;
  settings.port = 0;
  settings.backlog = 1024;
  settings.workers = 2;
  settings.event_loops = 2;  // connections dealt to more than one loop, as on the machines served
  return settings;
}

TestServer::TestServer(Template source, http::ServerSettings settings, db::DatabaseSettings db_settings)
    : database_(std::make_unique<TestDatabase>(source)) {
  start(shell::ServerConfig{database_->connection_string(), settings, db_settings});
}

TestServer::TestServer(Template source, const std::function<void(shell::ServerConfig&)>& change)
    : database_(std::make_unique<TestDatabase>(source)) {
  shell::ServerConfig config{database_->connection_string(), fast_settings(), {}};
  change(config);
  start(std::move(config));
}

TestServer::TestServer(std::string database, http::ServerSettings settings, db::DatabaseSettings db_settings) {
  start(shell::ServerConfig{std::move(database), settings, db_settings});
}

TestServer::TestServer(shell::ServerConfig config) { start(std::move(config)); }

std::string TestServer::ready() const {
  if (application_->admin() == nullptr) throw std::runtime_error("the test server has no admin listener");
  const auto response = http_get(application_->admin()->port(), "/ready");
  if (!response) return "no answer";
  return response->status_line.substr(9, 3) + " " + response->body;
}

void TestServer::start(shell::ServerConfig config) {
  application_ = std::make_unique<shell::Application>(front_, log_, std::move(config));
  application_->FormCreate();
  if (!application_->serving()) throw std::runtime_error("the test server does not listen");
}

TestServer::~TestServer() { application_->FormCloseQuery(); }

RawResponse TestServer::get(std::string_view target) const {
  auto response = http_get(port(), target);
  if (!response) throw std::runtime_error("no answer to " + std::string(target));
  return *response;
}

}  // namespace vantor::test
