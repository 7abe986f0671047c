// Who may use the operator console on the admin listener. On a loopback address anyone
// on this machine may watch; acting (the upgrade, "No Check Digit") always takes the
// token. On any other address watching takes the token too, and without a token file the
// console is off there; /live, /ready and /metrics are not the console's and answer as
// always.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "http/http_request.hpp"
#include "shell/core/config_files.hpp"
#include "shell/core/console_token.hpp"

namespace vantor::shell {

struct ConsoleAccess {
  bool served = true;
  bool watching_takes_token = false;
  std::optional<ConsoleToken> token;

  bool may_watch(const http::HttpRequest& request) const {
    return served && (!watching_takes_token || may_act(request));
  }
  bool may_act(const http::HttpRequest& request) const {
    return served && token && token->admits(request.authorization);
  }
};

// The access the settings give; what the operator should know of it goes to notes (a
// token file that cannot be read, a console that is off).
ConsoleAccess console_access(const ServerConfig& config, std::vector<std::string>& notes);

}  // namespace vantor::shell
