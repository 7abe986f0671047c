// The admin listener's bounds.
#include "shell/core/admin_listener.hpp"

#include <boost/asio/ip/address.hpp>

namespace vantor::shell {
namespace {

using namespace std::chrono_literals;

}  // namespace

bool loopback_address(const std::string& address) {
  boost::system::error_code failed;
  const auto parsed = boost::asio::ip::make_address(address, failed);
  return !failed && parsed.is_loopback();
}

http::NetworkList admin_allowed(const ServerConfig& config) {
  if (config.admin_allow) return *config.admin_allow;
  http::NetworkList allowed = http::NetworkList::parse("127.0.0.0/8, ::1");
  if (config.admin && loopback_address(config.admin->address)) return allowed;
  if (config.http.allow.empty()) return {};
  return allowed.add(config.http.allow);
}

http::ServerSettings admin_settings(const ServerConfig& config) {
  http::ServerSettings settings;
  settings.port = config.admin->port;
  settings.address = config.admin->address;
  settings.passed_sockets = config.admin_sockets;
  settings.workers = 1;
  settings.event_loops = 1;
  settings.max_connections = 32;
  settings.make_room_for_new = true;
  settings.backlog = 1024;  // a burst is accepted (and makes room) rather than dropped
  settings.max_header_bytes = 8 * 1024;
  settings.max_body_bytes = 8 * 1024;
  settings.body_budget = 256 * 1024;
  settings.answer_budget = 16 * 1024 * 1024;
  settings.request_timeout = 5s;
  settings.idle_timeout = 5s;
  settings.write_timeout = 10s;
  settings.queue_bound = 64;
  settings.stop_grace = 1s;
  settings.allow = admin_allowed(config);
  return settings;
}

}  // namespace vantor::shell
