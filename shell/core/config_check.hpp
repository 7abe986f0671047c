// vantor-server --check-config: the settings as the server would read them, every
// problem with its file and line, where each value comes from, and (unless only the files
// are asked for) whether the database takes the login.
#pragma once

#include <filesystem>
#include <ostream>

namespace vantor::shell {

// 0 when the files hold no problem and, with try_login, the database answered the login
// with a round trip within the connect timeout; 1 otherwise.
int check_config(const std::filesystem::path& folder, bool try_login, std::ostream& out);

}  // namespace vantor::shell
