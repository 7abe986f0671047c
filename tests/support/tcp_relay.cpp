// One thread, poll over the listener and every pair of sockets.
#include "tests/support/tcp_relay.hpp"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

namespace vantor::test {
namespace {

sockaddr_in loopback(std::uint16_t port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return address;
}

void reset_and_close(int fd) {
  if (fd < 0) return;
  linger hard{1, 0};
  setsockopt(fd, SOL_SOCKET, SO_LINGER, &hard, sizeof(hard));
  ::close(fd);
}

}  // namespace

TcpRelay::TcpRelay(std::uint16_t target_port) : target_port_(target_port) {
  listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
  const int on = 1;
  setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof(on));
  auto address = loopback(0);
  if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 || ::listen(listener_, 64) != 0) {
    throw std::runtime_error("the relay cannot listen");
  }
  socklen_t length = sizeof(address);
  getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
  port_ = ntohs(address.sin_port);
  if (::pipe(wake_) != 0) throw std::runtime_error("the relay has no pipe");
  thread_ = std::thread([this] { run(); });
}

TcpRelay::~TcpRelay() {
  stopping_ = true;
  (void)!::write(wake_[1], "x", 1);
  thread_.join();
  for (auto& pair : pairs_) close_pair(pair);
  ::close(listener_);
  ::close(wake_[0]);
  ::close(wake_[1]);
}

std::string TcpRelay::connection_string(const std::string& path) const {
  return "127.0.0.1/" + std::to_string(port_) + ":" + path;
}

void TcpRelay::stall() {
  stalled_ = true;
  (void)!::write(wake_[1], "x", 1);
}

void TcpRelay::resume() {
  stalled_ = false;
  (void)!::write(wake_[1], "x", 1);
}

void TcpRelay::cut() {
  cut_requested_ = true;
  (void)!::write(wake_[1], "x", 1);
}

void TcpRelay::close_pair(Pair& pair) {
  reset_and_close(pair.client);
  reset_and_close(pair.upstream);
  pair = Pair{};
}

void TcpRelay::accept_one() {
  const int client = ::accept(listener_, nullptr, nullptr);
  if (client < 0) return;
  const int upstream = ::socket(AF_INET, SOCK_STREAM, 0);
  auto target = loopback(target_port_);
  if (::connect(upstream, reinterpret_cast<sockaddr*>(&target), sizeof(target)) != 0) {
    reset_and_close(client);
    ::close(upstream);
    return;
  }
  pairs_.push_back(Pair{client, upstream});
}

// Moves what one side has sent to the other; false when that side closed.
bool TcpRelay::pass(int from, int to) {
  char buffer[65536];
  const ssize_t received = ::recv(from, buffer, sizeof(buffer), 0);
  if (received <= 0) return false;
  ssize_t sent = 0;
  while (sent < received) {
    const ssize_t n = ::send(to, buffer + sent, static_cast<std::size_t>(received - sent), MSG_NOSIGNAL);
    if (n <= 0) return false;
    sent += n;
  }
  return true;
}

void TcpRelay::run() {
  while (!stopping_) {
    if (cut_requested_.exchange(false)) {
      for (auto& pair : pairs_) close_pair(pair);
      pairs_.clear();
    }
    std::vector<pollfd> fds{{wake_[0], POLLIN, 0}, {listener_, POLLIN, 0}};
    const bool passing = !stalled_;
    if (passing) {
      for (const auto& pair : pairs_) {
        fds.push_back({pair.client, POLLIN, 0});
        fds.push_back({pair.upstream, POLLIN, 0});
      }
    }
    if (::poll(fds.data(), fds.size(), 1000) <= 0) continue;
    if (fds[0].revents != 0) {
      char drain[64];
      (void)!::read(wake_[0], drain, sizeof(drain));
      continue;  // the mode may have changed: poll again with it
    }
    if (fds[1].revents & POLLIN) accept_one();
    if (!passing) continue;
    for (std::size_t i = 0; i < pairs_.size() && 2 + 2 * i + 1 < fds.size(); ++i) {
      Pair& pair = pairs_[i];
      const bool client_ok =
          !(fds[2 + 2 * i].revents & (POLLIN | POLLHUP | POLLERR)) || pass(pair.client, pair.upstream);
      const bool upstream_ok =
          !(fds[3 + 2 * i].revents & (POLLIN | POLLHUP | POLLERR)) || pass(pair.upstream, pair.client);
      if (!client_ok || !upstream_ok) close_pair(pair);
    }
    std::erase_if(pairs_, [](const Pair& pair) { return pair.client < 0; });
  }
}

}  // namespace vantor::test
