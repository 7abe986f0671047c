// The listener: opens the server's sockets (every local IPv4 and IPv6 address, or one),
// accepts connections on the first loop, admits them (the connection bound, allow) and
// deals them to the loops in turn.
#pragma once

#include <memory>

#include "http/server_state.hpp"

namespace vantor::http {

// Opens the acceptors on the settings' address and port. Throws std::runtime_error with
// the system's messages when nothing listens; a family that fails while the other
// listens is noted in state.listen_failures (a host without IPv6 says nothing).
void open_listeners(ServerState& state);

// Accepts on every acceptor until they are closed.
void accept_connections(const std::shared_ptr<ServerState>& state);

}  // namespace vantor::http
