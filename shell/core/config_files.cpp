// Reading port.txt and ip.txt.
#include "shell/core/config_files.hpp"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>

#include "shell/core/settings_file.hpp"
#include "text/numbers.hpp"

namespace vantor::shell {

std::filesystem::path program_folder() {
  std::error_code error;
  const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::filesystem::current_path() : executable.parent_path();
}

std::filesystem::path default_config_folder() {
  const auto folder = program_folder();
  return folder == "/usr/bin" ? std::filesystem::path("/etc/vantor") : folder;
}

std::optional<std::string> first_line(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  std::string line;
  char c;
  while (in.get(c) && c != '\n' && c != '\r') line.push_back(c);
  if (in.bad()) return std::nullopt;
  return line;
}

std::optional<std::uint16_t> port_from(std::string_view line) {
  const auto value = text::parse_whole_number(line);
  if (!value) return std::nullopt;
  return static_cast<std::uint16_t>(static_cast<std::uint32_t>(*value) & 0xFFFFu);
}

std::size_t worker_count() { return std::clamp<std::size_t>(2 * std::thread::hardware_concurrency(), 2, 4); }

namespace {

// The port of port.txt; a text that is no number keeps 8080 and is a problem to report.
void read_port(const std::filesystem::path& folder, ConfigReading& reading) {
  reading.config.http.port = 8080;
  const auto line = first_line(folder / "port.txt");
  if (!line) return;
  reading.config.values["port"] = *line;
  reading.config.sources["port"] = (folder / "port.txt").string();
  if (const auto port = port_from(*line)) {
    reading.config.http.port = *port;
    return;
  }
  reading.problems.push_back("port.txt: '" + *line + "' is no port number: serving on 8080");
}

void read_database(const std::filesystem::path& folder, ServerConfig& config) {
  const auto database = first_line(folder / "ip.txt");
  // as a service the built-in database lives in the state directory systemd gives it
  const char* state = std::getenv("STATE_DIRECTORY");
  const std::filesystem::path demo_folder = state != nullptr && *state != '\0' ? std::filesystem::path(state) : folder;
  config.database = database ? *database : (demo_folder / "vantor.fdb").string();
  config.sources["database"] = database ? (folder / "ip.txt").string() : "the demo database (no ip.txt)";
}

}  // namespace

ConfigReading read_config_checked(const std::filesystem::path& folder) {
  ConfigReading reading;
  ServerConfig& config = reading.config;
  apply_defaults(config);
  read_port(folder, reading);
  read_database(folder, config);
  config.http.workers = worker_count();
  config.http.event_loops = std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, 16);
  std::ifstream settings(folder / "vantor.conf", std::ios::binary);
  if (settings) {
    const std::string text{std::istreambuf_iterator<char>(settings), std::istreambuf_iterator<char>()};
    apply_settings(text, folder, config, &reading.problems);
  }
  apply_environment(folder, config, reading.problems);
  return reading;
}

ServerConfig read_config(const std::filesystem::path& folder) {
  ConfigReading reading = read_config_checked(folder);
  for (auto& problem : reading.problems) {
    // a port.txt that is no number keeps today's answer, port 8080, with a warning
    if (problem.rfind("port.txt:", 0) == 0) {
      reading.config.warnings.push_back(std::move(problem));
      continue;
    }
    throw SettingsError(problem);
  }
  return std::move(reading.config);
}

}  // namespace vantor::shell
