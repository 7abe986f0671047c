// The TCP socket under an attachment. The client library keeps it to itself, and its own
// abort closes it while another thread may be about to wait on it: the number is soon
// reused by another connection, and that wait then lasts for ever. Shutting the socket
// down instead wakes every wait on it at once and leaves the number taken until the
// attachment is released, so a round trip stuck on a silent link can always be ended.
// The socket is found while the attach opens it: attaches take turns, and the new socket
// to the database's port is the attach's own.
#pragma once

#include <sys/socket.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace vantor::db {

struct ClientSocket {
  int fd = -1;
  std::uint16_t local_port = 0;
  std::uint16_t peer_port = 0;

  bool operator==(const ClientSocket&) const = default;
};

// The TCP port a connection string reaches the server on ("host/3051:path",
// "inet://host:3051/path", "host:path" on 3050, a service name looked up); a local path
// goes through the loopback provider on 3050 when the engine is not embedded. Nothing when
// the port is a service name that is not known.
std::optional<std::uint16_t> database_port(const std::string& database);

// The process's connected TCP sockets whose peer listens on port.
std::vector<ClientSocket> sockets_to_port(std::uint16_t port);

// Shuts the socket down when it is still the one that was found (same number, ports);
// wakes every wait on it. Safe from any thread.
void shut_down(const ClientSocket& socket) noexcept;

// One attach's turn: attaches wait for each other (at most the time-out, then the attach
// goes on without its socket found) so that the socket that appears meanwhile is this
// attach's. The attach then has the time-out to end: the client library bounds only the
// wait for the host's first answer, and a host that falls silent later in the login would
// hold the attach for ever, so its new socket is shut down at the time-out.
class AttachTurn {
 public:
  AttachTurn(const std::string& database, std::chrono::milliseconds timeout);
  ~AttachTurn();
  AttachTurn(const AttachTurn&) = delete;
  AttachTurn& operator=(const AttachTurn&) = delete;

  // The attach has returned: its socket is no longer shut down at the time-out. True when
  // it was, which the attach's own failure may not say.
  bool end_watch();

  // The sockets to the database opened since the turn began (none when the turn was not
  // had or the engine is embedded).
  std::vector<ClientSocket> opened() const;

 private:
  void watch(std::chrono::steady_clock::time_point deadline);

  bool had_ = false;
  std::optional<std::uint16_t> port_;
  std::vector<ClientSocket> before_;
  std::mutex watch_mutex_;
  std::condition_variable watch_wake_;
  bool returned_ = false;   // under watch_mutex_
  bool timed_out_ = false;  // under watch_mutex_
  std::thread watcher_;
};

}  // namespace vantor::db
