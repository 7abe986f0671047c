// A TCP relay between the server under test and the Firebird server, which can stall
// (stop passing bytes while every connection stays open, as a hung host or a pulled
// cable does), cut the link (close every connection), refuse new connections (nothing
// listens), drop the bytes of the connections that sat idle (as a firewall that forgot
// them does) or slow the link down.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vantor::test {

class TcpRelay {
 public:
  explicit TcpRelay(std::uint16_t target_port = 3050);
  ~TcpRelay();
  TcpRelay(const TcpRelay&) = delete;
  TcpRelay& operator=(const TcpRelay&) = delete;

  std::uint16_t port() const { return port_; }
  // The connection string of a database file on the Firebird server, through the relay.
  std::string connection_string(const std::string& path) const;

  // Stops passing bytes; connections made meanwhile are accepted and get nothing.
  void stall();
  // Connections made from now on pass the first replies of the Firebird server (what one
  // read from it gets), then stall; resume() ends it for every connection.
  void stall_after(int replies);
  // Passes bytes again, those held back included.
  void resume();
  // Closes every connection with a reset; later connections pass again.
  void cut();
  // Stops listening: new connections are refused, open ones pass on. accept() listens
  // again on the same port.
  void refuse();
  void accept();
  // From now on the connections that have passed nothing for quiet lose every byte
  // either side sends them, while they stay open; the others, and new ones, pass.
  // resume() ends it.
  void drop_idle(std::chrono::milliseconds quiet);
  // Passes at most bytes_per_second from the Firebird server to each connection;
  // 0: no limit.
  void slow(std::size_t bytes_per_second);

 private:
  using Clock = std::chrono::steady_clock;
  struct Pair {
    int client = -1;
    int upstream = -1;
    Clock::time_point last_passed = Clock::now();
    bool dropped = false;   // its bytes are read and thrown away
    double allowance = 0;   // bytes it may still pass down while slowed
    int replies_left = -1;  // replies it passes before it stalls; -1: no end
  };
  void run();
  void accept_one();
  void close_pair(Pair& pair);
  bool pass(int from, int to, std::size_t at_most, bool drop);
  void listen_on(std::uint16_t port);
  void wake();

  std::uint16_t target_port_;
  std::uint16_t port_ = 0;
  int listener_ = -1;
  int wake_[2] = {-1, -1};
  std::atomic<bool> stalled_{false};
  std::atomic<bool> cut_requested_{false};
  std::atomic<bool> stopping_{false};
  std::atomic<bool> refusing_{false};
  std::atomic<bool> listen_again_{false};
  std::atomic<long long> drop_quiet_ms_{-1};  // -1: nothing dropped
  std::atomic<std::size_t> slow_rate_{0};
  std::atomic<int> stall_after_{-1};
  std::vector<Pair> pairs_;
  std::thread thread_;
};

}  // namespace vantor::test
