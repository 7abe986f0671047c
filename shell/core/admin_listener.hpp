// The bounds and the access rule of the admin listener. Its prober (a load balancer's
// health check, systemd, a monitoring agent) must get an answer whatever else happens
// on its port: few connections, each with a short idle limit, and at the bound a new
// connection takes the place of the oldest one that has not sent a request.
#pragma once

#include "http/network_list.hpp"
#include "http/server_settings.hpp"
#include "shell/core/config_files.hpp"

namespace vantor::shell {

// Whether address is a loopback one (127.0.0.0/8, ::1).
bool loopback_address(const std::string& address);

// admin_allow when set; else this machine, and allow as well when the admin address is
// not a loopback one (an empty allow lets everyone in there, as on the clients' port).
http::NetworkList admin_allowed(const ServerConfig& config);

// The listener's settings; config.admin must be set.
http::ServerSettings admin_settings(const ServerConfig& config);

}  // namespace vantor::shell
