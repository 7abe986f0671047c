// One thread, poll over the listener and every pair of sockets.
#include "tests/support/tcp_relay.hpp"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
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
  listen_on(0);
  if (::pipe(wake_) != 0) throw std::runtime_error("the relay has no pipe");
  thread_ = std::thread([this] { run(); });
}

void TcpRelay::listen_on(std::uint16_t port) {
  listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
  const int on = 1;
  setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof(on));
  auto address = loopback(port);
  if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 || ::listen(listener_, 64) != 0) {
    throw std::runtime_error("the relay cannot listen");
  }
  socklen_t length = sizeof(address);
  getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
  port_ = ntohs(address.sin_port);
}

void TcpRelay::wake() { (void)!::write(wake_[1], "x", 1); }

void TcpRelay::refuse() {
  refusing_ = true;
  wake();
}

void TcpRelay::accept() {
  listen_again_ = true;
  wake();
}

void TcpRelay::drop_idle(std::chrono::milliseconds quiet) {
  drop_quiet_ms_ = quiet.count();
  wake();
}

void TcpRelay::slow(std::size_t bytes_per_second) {
  slow_rate_ = bytes_per_second;
  wake();
}

TcpRelay::~TcpRelay() {
  stopping_ = true;
  (void)!::write(wake_[1], "x", 1);
  thread_.join();
  for (auto& pair : pairs_) close_pair(pair);
  if (listener_ >= 0) ::close(listener_);
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

void TcpRelay::stall_after(int replies) { stall_after_ = replies; }

void TcpRelay::resume() {
  stalled_ = false;
  stall_after_ = -1;
  drop_quiet_ms_ = -1;
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
  Pair pair{client, upstream};
  pair.replies_left = stall_after_;
  pairs_.push_back(pair);
}

// Moves what one side has sent to the other, at most at_most bytes (or throws them away);
// false when that side closed.
bool TcpRelay::pass(int from, int to, std::size_t at_most, bool drop) {
  char buffer[65536];
  const ssize_t received = ::recv(from, buffer, std::min(sizeof(buffer), std::max<std::size_t>(at_most, 1)), 0);
  if (received <= 0) return false;
  if (drop) return true;
  ssize_t sent = 0;
  while (sent < received) {
    const ssize_t n = ::send(to, buffer + sent, static_cast<std::size_t>(received - sent), MSG_NOSIGNAL);
    if (n <= 0) return false;
    sent += n;
  }
  return true;
}

void TcpRelay::run() {
  auto last_turn = Clock::now();
  while (!stopping_) {
    if (cut_requested_.exchange(false)) {
      for (auto& pair : pairs_) close_pair(pair);
      pairs_.clear();
    }
    if (refusing_.exchange(false) && listener_ >= 0) {
      ::close(listener_);
      listener_ = -1;
    }
    if (listen_again_.exchange(false) && listener_ < 0) listen_on(port_);
    const auto now = Clock::now();
    const double elapsed = std::chrono::duration<double>(now - last_turn).count();
    last_turn = now;
    const std::size_t rate = slow_rate_;
    const long long quiet = drop_quiet_ms_;
    for (auto& pair : pairs_) {
      if (stall_after_ < 0) pair.replies_left = -1;
      if (quiet < 0) pair.dropped = false;
      if (quiet >= 0 && now - pair.last_passed >= std::chrono::milliseconds(quiet)) pair.dropped = true;
      pair.allowance = rate == 0 ? 0 : std::min<double>(pair.allowance + elapsed * rate, rate / 10.0 + 1);
    }
    std::vector<pollfd> fds{{wake_[0], POLLIN, 0}, {listener_, static_cast<short>(listener_ >= 0 ? POLLIN : 0), 0}};
    const bool passing = !stalled_;
    if (passing) {
      for (const auto& pair : pairs_) {
        const bool may_send_down = rate == 0 || pair.allowance >= 1;
        const bool pair_passing = pair.replies_left != 0;
        fds.push_back({pair.client, static_cast<short>(pair_passing ? POLLIN : 0), 0});
        fds.push_back({pair.upstream, static_cast<short>(pair_passing && may_send_down ? POLLIN : 0), 0});
      }
    }
    const int waited = ::poll(fds.data(), fds.size(), rate > 0 || quiet >= 0 ? 10 : 1000);
    if (waited <= 0) continue;
    if (fds[0].revents != 0) {
      char drain[64];
      (void)!::read(wake_[0], drain, sizeof(drain));
      continue;  // the mode may have changed: poll again with it
    }
    if (fds[1].revents & POLLIN) accept_one();
    if (!passing) continue;
    for (std::size_t i = 0; i < pairs_.size() && 2 + 2 * i + 1 < fds.size(); ++i) {
      Pair& pair = pairs_[i];
      const auto up = fds[2 + 2 * i].revents;
      const auto down = fds[3 + 2 * i].revents;
      if ((up | down) & (POLLIN | POLLHUP | POLLERR)) {
        if (!pair.dropped) pair.last_passed = now;
      }
      const std::size_t down_limit = rate == 0 ? 65536 : static_cast<std::size_t>(pair.allowance);
      const bool client_ok =
          !(up & (POLLIN | POLLHUP | POLLERR)) || pass(pair.client, pair.upstream, 65536, pair.dropped);
      bool upstream_ok = true;
      if (down & (POLLIN | POLLHUP | POLLERR)) {
        upstream_ok = pass(pair.upstream, pair.client, down_limit, pair.dropped);
        if (pair.replies_left > 0) --pair.replies_left;
        if (rate > 0) pair.allowance -= static_cast<double>(down_limit);
      }
      if (!client_ok || !upstream_ok) close_pair(pair);
    }
    std::erase_if(pairs_, [](const Pair& pair) { return pair.client < 0; });
  }
}

}  // namespace vantor::test
