// Sockets from systemd.
#include "shell/core/socket_activation.hpp"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <systemd/sd-daemon.h>

#include <stdexcept>

namespace vantor::shell {
namespace {

struct Bound {
  std::string address;  // empty for every address
  std::uint16_t port = 0;
};

Bound bound_of(int fd) {
  sockaddr_storage storage{};
  socklen_t length = sizeof(storage);
  if (::getsockname(fd, reinterpret_cast<sockaddr*>(&storage), &length) != 0) return {};
  char text[INET6_ADDRSTRLEN] = {};
  if (storage.ss_family == AF_INET) {
    const auto& v4 = reinterpret_cast<const sockaddr_in&>(storage);
    ::inet_ntop(AF_INET, &v4.sin_addr, text, sizeof(text));
    return {v4.sin_addr.s_addr == htonl(INADDR_ANY) ? "" : text, ntohs(v4.sin_port)};
  }
  const auto& v6 = reinterpret_cast<const sockaddr_in6&>(storage);
  ::inet_ntop(AF_INET6, &v6.sin6_addr, text, sizeof(text));
  return {IN6_IS_ADDR_UNSPECIFIED(&v6.sin6_addr) ? "" : text, ntohs(v6.sin6_port)};
}

bool admin_socket(const ServerConfig& config, const Bound& bound) {
  return config.admin && bound.port == config.admin->port &&
         (bound.address.empty() || bound.address == config.admin->address);
}

}  // namespace

void take_passed_sockets(ServerConfig& config) {
  const int count = sd_listen_fds(1);
  for (int fd = SD_LISTEN_FDS_START; fd < SD_LISTEN_FDS_START + count; ++fd) {
    const Bound bound = bound_of(fd);
    if (sd_is_socket_inet(fd, AF_UNSPEC, SOCK_STREAM, 1, 0) <= 0) {
      throw std::runtime_error("passed socket " + std::to_string(fd) + " is no listening TCP socket");
    }
    if (admin_socket(config, bound)) {
      config.admin_sockets.push_back(fd);
    } else if (bound.port == config.http.port) {
      config.http.passed_sockets.push_back(fd);
    } else {
      throw std::runtime_error("a passed socket listens on " + (bound.address.empty() ? "port " : bound.address + ":") +
                               std::to_string(bound.port) + ", which is neither port.txt's " +
                               std::to_string(config.http.port) +
                               (config.admin ? " nor admin's " + std::to_string(config.admin->port) : "") +
                               ": change the socket unit or the settings (vantor-server --check-config prints the "
                               "socket unit's lines)");
    }
  }
  if (count > 0 && config.http.passed_sockets.empty()) {
    throw std::runtime_error("no passed socket listens on port.txt's port " + std::to_string(config.http.port));
  }
}

std::string socket_unit_lines(const ServerConfig& config) {
  std::string lines = "[Socket]\nListenStream=\nListenStream=" + std::to_string(config.http.port) + "\n";
  if (config.admin) {
    lines += "ListenStream=" + config.admin->address + ":" + std::to_string(config.admin->port) + "\n";
  }
  return lines;
}

}  // namespace vantor::shell
