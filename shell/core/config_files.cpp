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

ServerConfig read_config(const std::filesystem::path& folder) {
  ServerConfig config;
  apply_defaults(config);
  config.http.port = 8080;
  if (const auto line = first_line(folder / "port.txt")) {
    if (const auto port = port_from(*line)) config.http.port = *port;
  }
  const auto database = first_line(folder / "ip.txt");
  // as a service the built-in database lives in the state directory systemd gives it
  const char* state = std::getenv("STATE_DIRECTORY");
  const std::filesystem::path demo_folder = state != nullptr && *state != '\0' ? std::filesystem::path(state) : folder;
  config.database = database ? *database : (demo_folder / "vantor.fdb").string();
  config.http.workers = worker_count();
  config.http.event_loops = std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, 16);
  std::ifstream settings(folder / "vantor.conf", std::ios::binary);
  if (settings) {
    const std::string text{std::istreambuf_iterator<char>(settings), std::istreambuf_iterator<char>()};
    apply_settings(text, folder, config);
  }
  return config;
}

}  // namespace vantor::shell
