// Finding the client library's socket, and shutting it down.
#include "db/client_socket.hpp"

#include <dirent.h>
#include <netdb.h>
#include <netinet/in.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <condition_variable>
#include <string_view>

namespace vantor::db {
namespace {

constexpr std::uint16_t kServerPort = 3050;

// Attaches take turns so that each can tell its own new socket. (A condition rather than
// a timed mutex: the thread sanitizer does not see a timed mutex's timed lock.)
std::mutex turn_mutex;
std::condition_variable turn_free;
bool turn_taken = false;

std::optional<std::uint16_t> port_from(std::string_view text) {
  if (text.empty()) return kServerPort;
  unsigned number = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (error == std::errc{} && end == text.data() + text.size()) {
    if (number == 0 || number > 65535) return std::nullopt;
    return static_cast<std::uint16_t>(number);
  }
  servent entry{};
  std::array<char, 1024> buffer{};
  servent* found = nullptr;
  getservbyname_r(std::string(text).c_str(), "tcp", &entry, buffer.data(), buffer.size(), &found);
  if (found == nullptr) return std::nullopt;
  return ntohs(static_cast<std::uint16_t>(found->s_port));
}

// Where a host name ends: after its brackets for an IPv6 address.
std::size_t host_end(std::string_view text, std::string_view stops) {
  if (!text.starts_with('[')) return text.find_first_of(stops);
  const auto close = text.find(']');
  return close == std::string_view::npos ? close : text.find_first_of(stops, close);
}

std::optional<std::uint16_t> url_port(std::string_view rest) {
  const auto authority = rest.substr(0, rest.find('/'));
  const auto colon = host_end(authority, ":");
  return colon == std::string_view::npos ? kServerPort : port_from(authority.substr(colon + 1));
}

std::uint16_t port_of(const sockaddr_storage& address) {
  if (address.ss_family == AF_INET) return ntohs(reinterpret_cast<const sockaddr_in&>(address).sin_port);
  if (address.ss_family == AF_INET6) return ntohs(reinterpret_cast<const sockaddr_in6&>(address).sin6_port);
  return 0;
}

// The socket's ports when fd is a connected TCP socket to peer_port; nothing otherwise.
// The peer is asked first: with thousands of clients connected, most sockets stop there.
std::optional<ClientSocket> tcp_socket(int fd, std::uint16_t peer_port) {
  sockaddr_storage peer{};
  socklen_t length = sizeof(peer);
  if (getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &length) != 0) return std::nullopt;
  if (port_of(peer) != peer_port) return std::nullopt;
  int type = 0;
  socklen_t type_length = sizeof(type);
  if (getsockopt(fd, SOL_SOCKET, SO_TYPE, &type, &type_length) != 0 || type != SOCK_STREAM) return std::nullopt;
  sockaddr_storage local{};
  length = sizeof(local);
  if (getsockname(fd, reinterpret_cast<sockaddr*>(&local), &length) != 0) return std::nullopt;
  return ClientSocket{fd, port_of(local), peer_port};
}

}  // namespace

std::optional<std::uint16_t> database_port(const std::string& database) {
  const std::string_view text = database;
  for (const std::string_view scheme : {"inet://", "inet4://", "inet6://"}) {
    if (text.starts_with(scheme)) return url_port(text.substr(scheme.size()));
  }
  const auto end = host_end(text, "/:");
  if (end == 0 || end == std::string_view::npos) return kServerPort;  // a local path
  if (text[end] == ':') return kServerPort;
  const auto colon = text.find(':', end);
  if (colon == std::string_view::npos) return kServerPort;  // a relative local path
  return port_from(text.substr(end + 1, colon - end - 1));
}

std::vector<ClientSocket> sockets_to_port(std::uint16_t port) {
  std::vector<ClientSocket> sockets;
  DIR* folder = opendir("/proc/self/fd");
  if (folder == nullptr) return sockets;
  const int own = dirfd(folder);
  while (const dirent* entry = readdir(folder)) {
    int fd = -1;
    const std::string_view name = entry->d_name;
    if (std::from_chars(name.data(), name.data() + name.size(), fd).ec != std::errc{} || fd == own) continue;
    if (const auto socket = tcp_socket(fd, port)) sockets.push_back(*socket);
  }
  closedir(folder);
  return sockets;
}

void shut_down(const ClientSocket& socket) noexcept {
  if (tcp_socket(socket.fd, socket.peer_port) != socket) return;  // closed meanwhile, and the number taken again
  shutdown(socket.fd, SHUT_RDWR);
}

AttachTurn::AttachTurn(const std::string& database, std::chrono::milliseconds timeout)
    : port_(database_port(database)) {
  if (!port_) return;
  {
    std::unique_lock lock(turn_mutex);
    had_ = turn_free.wait_for(lock, timeout, [] { return !turn_taken; });
    if (had_) turn_taken = true;
  }
  if (!had_) return;
  before_ = sockets_to_port(*port_);
  watcher_ = std::thread([this, deadline = std::chrono::steady_clock::now() + timeout] { watch(deadline); });
}

AttachTurn::~AttachTurn() {
  if (!had_) return;
  end_watch();
  {
    std::lock_guard lock(turn_mutex);
    turn_taken = false;
  }
  turn_free.notify_one();
}

void AttachTurn::watch(std::chrono::steady_clock::time_point deadline) {
  std::unique_lock lock(watch_mutex_);
  if (watch_wake_.wait_until(lock, deadline, [&] { return returned_; })) return;
  timed_out_ = true;
  for (const auto& socket : opened()) shut_down(socket);
}

bool AttachTurn::end_watch() {
  if (!watcher_.joinable()) return false;
  {
    std::lock_guard lock(watch_mutex_);
    returned_ = true;
  }
  watch_wake_.notify_one();
  watcher_.join();
  return timed_out_;
}

std::vector<ClientSocket> AttachTurn::opened() const {
  if (!had_) return {};
  std::vector<ClientSocket> opened;
  for (const auto& socket : sockets_to_port(*port_)) {
    if (std::find(before_.begin(), before_.end(), socket) == before_.end()) opened.push_back(socket);
  }
  return opened;
}

}  // namespace vantor::db
