// vantor.conf in the config folder: every setting beyond the port (port.txt) and the
// database string (ip.txt), as "key = value" lines; "#" starts a comment. Each key has a
// default that keeps the behaviour the server has without the file.
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

#include "shell/core/config_files.hpp"

namespace vantor::shell {

// An unknown key or a bad value, with the line that holds it.
class SettingsError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Applies lines to config; relative paths are read from folder. Throws
// SettingsError naming the file's line ("vantor.conf line 3: ...").
void apply_settings(std::string_view lines, const std::filesystem::path& folder, ServerConfig& config);

// The keys, their defaults and meanings, for --help.
std::string settings_help();

// The defaults of the settings table that are values (the others are worked out at start
// or mean "none").
void apply_defaults(ServerConfig& config);

}  // namespace vantor::shell
