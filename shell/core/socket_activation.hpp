// Listening sockets passed by systemd (vantor-server.socket): a restart of the service
// then leaves new connections waiting in the kernel instead of refusing them. The ports
// are written twice then, in port.txt / admin and in the socket unit: each passed socket
// must listen on one of them.
#pragma once

#include <string>
#include <vector>

#include "shell/core/config_files.hpp"

namespace vantor::shell {

// Moves the passed sockets into config (the clients' port's and the admin port's); none
// passed: config is left as it is (the server opens its own ports). Throws
// std::runtime_error naming a socket on a port the settings do not name, or a clients'
// port without a socket.
void take_passed_sockets(ServerConfig& config);

// The lines of a drop-in that makes the socket unit listen on the ports of config; an
// empty ListenStream first resets the unit's own (a drop-in's lines add to them).
std::string socket_unit_lines(const ServerConfig& config);

}  // namespace vantor::shell
