// Reading port.txt and ip.txt.
#include "shell/core/config_files.hpp"

#include <fstream>
#include <iterator>

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

}  // namespace vantor::shell
