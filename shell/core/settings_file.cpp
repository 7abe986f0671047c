// Reading vantor.conf.
#include "shell/core/settings_file.hpp"

#include <cctype>
#include <cstdlib>
#include <string>

#include "shell/core/config_files.hpp"
#include "shell/core/settings_table.hpp"
#include "text/ascii.hpp"

namespace vantor::shell {
namespace {

// --help's form of a text the README writes with backticks.
std::string plain(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c != '`') out += c;
  }
  return out;
}

// Words of text after a first column of width, wrapped to width + the rest of the line.
std::string wrapped(const std::string& first_column, const std::string& text) {
  constexpr std::size_t kColumn = 26;
  constexpr std::size_t kLine = 92;
  std::string out = first_column;
  std::size_t line_start = 0;
  auto new_line = [&] {
    out += "\n";
    line_start = out.size();
    out.append(kColumn, ' ');
  };
  if (out.size() + 1 > kColumn) {
    new_line();
  } else {
    out.append(kColumn - out.size(), ' ');
  }
  std::size_t at = 0;
  bool first_word = true;
  while (at < text.size()) {
    std::size_t end = text.find(' ', at);
    if (end == std::string::npos) end = text.size();
    const std::string word = text.substr(at, end - at);
    if (!first_word && out.size() - line_start + 1 + word.size() > kLine) {
      new_line();
    } else if (!first_word) {
      out += ' ';
    }
    out += word;
    first_word = false;
    at = end + 1;
  }
  return out + "\n";
}

}  // namespace

void apply_defaults(ServerConfig& config) {
  for (const Setting& setting : settings_table()) {
    if (!setting.default_value.empty()) setting.apply(setting.default_value, {}, config);
  }
}

namespace {

// Applies one value and notes where it came from; a bad one is a problem.
void apply_one(const Setting& setting, std::string_view value, const std::string& source,
               const std::filesystem::path& folder, ServerConfig& config, std::vector<std::string>* problems) {
  try {
    setting.apply(value, folder, config);
    config.values[std::string(setting.key)] = std::string(value);
    config.sources[std::string(setting.key)] = source;
  } catch (const std::exception& failure) {
    const std::string problem = source + ": " + std::string(setting.key) + ": " + failure.what();
    if (problems == nullptr) throw SettingsError(problem);
    problems->push_back(problem);
  }
}

void note(std::string problem, std::vector<std::string>* problems) {
  if (problems == nullptr) throw SettingsError(problem);
  problems->push_back(std::move(problem));
}

}  // namespace

void apply_settings(std::string_view lines, const std::filesystem::path& folder, ServerConfig& config,
                    std::vector<std::string>* problems) {
  std::size_t number = 0;
  while (!lines.empty()) {
    ++number;
    const auto end = lines.find('\n');
    std::string_view line = lines.substr(0, end);
    lines = end == std::string_view::npos ? std::string_view{} : lines.substr(end + 1);
    if (const auto hash = line.find('#'); hash != std::string_view::npos) line = line.substr(0, hash);
    line = text::trim_blanks(line);
    if (line.empty()) continue;
    const std::string where = "vantor.conf line " + std::to_string(number);
    const auto equals = line.find('=');
    if (equals == std::string_view::npos) {
      note(where + ": expected key = value", problems);
      continue;
    }
    const std::string_view key = text::trim_blanks(line.substr(0, equals));
    const std::string_view value = text::trim_blanks(line.substr(equals + 1));
    const Setting* setting = find_setting(key);
    if (setting == nullptr) {
      note(where + ": unknown key '" + std::string(key) + "'", problems);
      continue;
    }
    apply_one(*setting, value, where, folder, config, problems);
  }
}

void apply_environment(const std::filesystem::path& folder, ServerConfig& config, std::vector<std::string>& problems) {
  for (const Setting& setting : settings_table()) {
    std::string name = "VANTOR_";
    for (const char c : setting.key) name += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const char* value = std::getenv(name.c_str());
    if (value == nullptr) continue;
    apply_one(setting, text::trim_blanks(value), "environment " + name, folder, config, &problems);
  }
}

std::string settings_help() {
  std::string text;
  for (const Setting& setting : settings_table()) {
    const std::string_view value = setting.default_value.empty() ? setting.placeholder : setting.default_value;
    text += wrapped("  " + std::string(setting.key) + " = " + std::string(value), plain(setting.help));
  }
  return text;
}

}  // namespace vantor::shell
