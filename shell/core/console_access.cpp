// The console's access from the settings.
#include "shell/core/console_access.hpp"

#include "shell/core/admin_listener.hpp"

namespace vantor::shell {

ConsoleAccess console_access(const ServerConfig& config, std::vector<std::string>& notes) {
  ConsoleAccess access;
  if (!config.admin_token_file.empty()) {
    try {
      access.token = ConsoleToken::read(config.admin_token_file);
    } catch (const std::exception& failure) {
      notes.push_back("the operator console's token: " + std::string(failure.what()) + "; its actions are off");
    }
  }
  if (config.admin && !loopback_address(config.admin->address)) {
    access.watching_takes_token = true;
    if (!access.token) {
      access.served = false;
      notes.push_back("the operator console is off on " + config.admin->address +
                      ": on an address other than a loopback one it needs admin_token_file");
    }
  }
  return access;
}

}  // namespace vantor::shell
