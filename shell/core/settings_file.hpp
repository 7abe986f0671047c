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

// Applies lines to config; relative paths are read from folder. A problem names the
// file's line ("vantor.conf line 3: ..."): it is added to problems and the other lines
// are read, or without problems it is thrown as a SettingsError.
void apply_settings(std::string_view lines, const std::filesystem::path& folder, ServerConfig& config,
                    std::vector<std::string>* problems = nullptr);

// Applies the VANTOR_<KEY> variables of the environment (VANTOR_ANSWER_BUDGET=512M),
// adding what is wrong with one to problems.
void apply_environment(const std::filesystem::path& folder, ServerConfig& config, std::vector<std::string>& problems);

// The keys, their defaults and meanings, for --help.
std::string settings_help();

// The defaults of the settings table that are values (the others are worked out at start
// or mean "none").
void apply_defaults(ServerConfig& config);

}  // namespace vantor::shell
