// The two one-line configuration files beside the program, port.txt and ip.txt, and
// the settings the server starts with.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "db/database_settings.hpp"
#include "http/http_server.hpp"
#include "http/request_context.hpp"

namespace vantor::shell {

// The folder that holds the running program's executable.
std::filesystem::path program_folder();

// Where the settings are read without --config-dir: /etc/vantor for a program installed
// in /usr/bin (the package), else the program's own folder.
std::filesystem::path default_config_folder();

// The text of a file up to its first line break; nullopt when it cannot be read.
std::optional<std::string> first_line(const std::filesystem::path& file);

// An integer, optionally after blanks and a sign, or hexadecimal after "$", "x", "X",
// "0x" or "0X", with nothing after its last digit, reduced to its low 16 bits (70000 -> 4464,
// -1 -> 65535); nullopt when the line is no such integer.
std::optional<std::uint16_t> port_from(std::string_view line);

// What the server is started with.
struct AdminAddress {
  std::string address = "127.0.0.1";
  std::uint16_t port = 0;
};

// A login of its own for the routes that run the caller's statement.
struct AdhocLogin {
  std::string user;
  std::string password = "masterkey";
};

struct ServerConfig {
  std::string database;
  http::ServerSettings http;
  db::DatabaseSettings db;
  bool no_check_digit = false;        // "No Check Digit" at start
  std::optional<AdminAddress> admin;  // the admin listener; none when absent
  // Who may reach the admin listener; none: see admin_allowed.
  std::optional<http::NetworkList> admin_allow;
  std::vector<int> admin_sockets;          // its listening sockets when systemd passed them
  std::filesystem::path admin_token_file;  // the operator console's token; empty: none
  bool access_log = false;                 // one line per request besides the activity log
  std::filesystem::path access_log_file;   // where those lines go; empty: with the activity log
  bool access_json = false;                // the lines as JSON objects
  bool echo = true;                        // answers echoed into the activity log
  bool json_escape_controls = false;       // control characters in JSON strings escaped
  http::AdhocMode adhoc = http::AdhocMode::On;
  std::size_t adhoc_max_bytes = 0;                  // 0: no cap
  std::chrono::milliseconds adhoc_timeout{30'000};  // ad-hoc statements are cancelled after this
  AdhocLogin adhoc_login;                           // in use when its user is set
  std::vector<std::string> warnings;                // for the operator at start
  // Of each key set by a file or the environment: its value as written, and where
  // ("vantor.conf line 3", "environment VANTOR_ECHO"); port.txt and ip.txt under
  // "port" and "database".
  std::map<std::string, std::string> values;
  std::map<std::string, std::string> sources;
};

// The settings as read, and every problem found on the way, each with its file and line
// (or its environment variable). A bad line does not stop the reading of the others.
struct ConfigReading {
  ServerConfig config;
  std::vector<std::string> problems;
};

// The settings of the program in folder: the port of port.txt (8080 when the file is
// missing or holds no number), the database string of ip.txt or, without it, the demo
// database vantor.fdb in folder (in $STATE_DIRECTORY when systemd sets it) through the
// embedded engine; as many workers as
// worker_count() says; then the settings of vantor.conf in folder, when it is there.
// Then VANTOR_<KEY> variables of the environment, which win over the file (a systemd
// drop-in or a container changes a value without editing the shipped file).
// Throws SettingsError for the first problem.
ServerConfig read_config(const std::filesystem::path& folder);
ConfigReading read_config_checked(const std::filesystem::path& folder);

// Requests that may touch the database at once: twice as many as the machine has
// cores, between two and four (more concurrent statements slow Firebird down).
std::size_t worker_count();

}  // namespace vantor::shell
