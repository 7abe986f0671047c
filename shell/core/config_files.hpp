// The two one-line configuration files beside the program, port.txt and ip.txt, and
// the settings the server starts with.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "db/database_settings.hpp"
#include "http/http_server.hpp"

namespace vantor::shell {

// The folder that holds the running program's executable.
std::filesystem::path program_folder();

// The text of a file up to its first line break; nullopt when it cannot be read.
std::optional<std::string> first_line(const std::filesystem::path& file);

// An integer, optionally after blanks and a sign, or hexadecimal after "$", "x", "X",
// "0x" or "0X", with nothing after its last digit, reduced to its low 16 bits (70000 -> 4464,
// -1 -> 65535); nullopt when the line is no such integer.
std::optional<std::uint16_t> port_from(std::string_view line);

// What the server is started with.
struct ServerConfig {
  std::string database;
  http::ServerSettings http;
  db::DatabaseSettings db;
};

// The settings of the program in folder: the port of port.txt (8080 when the file is
// missing or holds no number), the database string of ip.txt or, without it, the demo
// database vantor.fdb in folder through the embedded engine; as many workers as
// worker_count() says.
ServerConfig read_config(const std::filesystem::path& folder);

// Requests that may touch the database at once: twice as many as the machine has
// cores, between two and four (more concurrent statements slow Firebird down).
std::size_t worker_count();

}  // namespace vantor::shell
