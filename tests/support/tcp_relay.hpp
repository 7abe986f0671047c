// A TCP relay between the server under test and the Firebird server, which can stall
// (stop passing bytes while every connection stays open, as a hung host or a pulled
// cable does) or cut the link (close every connection).
#pragma once

#include <atomic>
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
  // Passes bytes again, those held back included.
  void resume();
  // Closes every connection with a reset; later connections pass again.
  void cut();

 private:
  struct Pair {
    int client = -1;
    int upstream = -1;
  };
  void run();
  void accept_one();
  void close_pair(Pair& pair);
  bool pass(int from, int to);

  std::uint16_t target_port_;
  std::uint16_t port_ = 0;
  int listener_ = -1;
  int wake_[2] = {-1, -1};
  std::atomic<bool> stalled_{false};
  std::atomic<bool> cut_requested_{false};
  std::atomic<bool> stopping_{false};
  std::vector<Pair> pairs_;
  std::thread thread_;
};

}  // namespace vantor::test
