// Checking the configuration before a start.
#include "shell/core/config_check.hpp"

#include <chrono>
#include <memory>

#include "db/attachment_pool.hpp"
#include "db/deadline_watch.hpp"
#include "db/session.hpp"
#include "shell/core/config_files.hpp"
#include "shell/core/settings_table.hpp"
#include "shell/core/socket_activation.hpp"

namespace vantor::shell {
namespace {

std::string source_of(const ServerConfig& config, const std::string& key) {
  const auto found = config.sources.find(key);
  return found == config.sources.end() ? "default" : found->second;
}

std::string without_backticks(std::string_view text) {
  std::string out;
  for (const char c : text) {
    if (c != '`') out += c;
  }
  return out;
}

void print_values(const ServerConfig& config, std::ostream& out) {
  out << "  port = " << config.http.port << "  (" << source_of(config, "port") << ")\n";
  out << "  database = " << config.database << "  (" << source_of(config, "database") << ")\n";
  for (const Setting& setting : settings_table()) {
    const std::string key(setting.key);
    const auto value = config.values.find(key);
    const std::string shown = value != config.values.end()     ? value->second
                              : !setting.default_value.empty() ? std::string(setting.default_value)
                                                               : without_backticks(setting.default_text);
    // a password file's name is shown, never what it holds
    out << "  " << key << " = " << shown << "  (" << source_of(config, key) << ")\n";
  }
}

// The login with a round trip, bounded by the connect timeout; empty when it worked.
std::string try_the_login(const ServerConfig& config) {
  try {
    auto deadlines = std::make_shared<db::DeadlineWatch>();
    db::AttachmentPool pool(config.database, 1, config.db, deadlines);
    auto lease = pool.borrow();
    db::DbSession session(*lease, std::chrono::steady_clock::now());
    session.ensure_alive();
    return {};
  } catch (const std::exception& failure) {
    return failure.what();
  }
}

}  // namespace

int check_config(const std::filesystem::path& folder, bool try_login, std::ostream& out) {
  const ConfigReading reading = read_config_checked(folder);
  out << "config folder: " << folder.string() << "\n";
  print_values(reading.config, out);
  for (const auto& warning : reading.config.warnings) out << "warning: " << warning << "\n";
  for (const auto& problem : reading.problems) out << "problem: " << problem << "\n";
  bool good = reading.problems.empty();
  if (try_login) {
    const std::string failure = try_the_login(reading.config);
    if (failure.empty()) {
      out << "database login: answered\n";
    } else {
      out << "database login: " << failure << "\n";
      good = false;
    }
  }
  out << "for socket activation, a drop-in for vantor-server.socket (systemctl edit vantor-server.socket):\n"
      << socket_unit_lines(reading.config);
  out << (good ? "configuration good\n" : "configuration has problems\n");
  return good ? 0 : 1;
}

}  // namespace vantor::shell
