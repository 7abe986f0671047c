// Every key of vantor.conf in one table: its default, how its value is read, what it means
// and whether a running server may take a new value. --help, the defaults the server
// starts with and the checks of the README's table and the shipped vantor.conf all come
// from here.
#pragma once

#include <filesystem>
#include <string_view>
#include <vector>

#include "shell/core/config_files.hpp"

namespace vantor::shell {

struct Setting {
  std::string_view key;
  // The default as a value of the key, applied before vantor.conf is read; empty where
  // the default is none, or is worked out at start (then placeholder names it).
  std::string_view default_value;
  std::string_view placeholder;
  // The default as the README's table gives it.
  std::string_view default_text;
  // One line or more for --help; later lines are indented under the first.
  std::string_view help;
  // Whether a running server can take a new value without a restart.
  bool reloadable = false;
  // Reads value into config; relative paths from folder. Throws std::invalid_argument
  // with what is wrong with the value.
  void (*apply)(std::string_view value, const std::filesystem::path& folder, ServerConfig& config) = nullptr;
};

const std::vector<Setting>& settings_table();

// The setting of a key; nullptr for an unknown one.
const Setting* find_setting(std::string_view key);

}  // namespace vantor::shell
