// Settings read anew while the server runs.
#include <string>
#include <vector>

#include "shell/core/admin_listener.hpp"
#include "shell/core/application.hpp"
#include "shell/core/settings_table.hpp"

namespace vantor::shell {
namespace {

std::string value_of(const ServerConfig& config, const std::string& key) {
  if (key == "port") return std::to_string(config.http.port);
  if (key == "database") return config.database;
  const auto found = config.values.find(key);
  return found == config.values.end() ? std::string() : found->second;
}

std::string joined(const std::vector<std::string>& keys) {
  std::string text;
  for (const auto& key : keys) text += (text.empty() ? "" : ", ") + key;
  return text;
}

}  // namespace

std::vector<std::string> Application::reload(const ConfigReading& reading) {
  std::vector<std::string> lines;
  for (const auto& problem : reading.problems) {
    // port.txt is read at a start only, where a text that is no number keeps 8080
    if (problem.rfind("port.txt:", 0) != 0) lines.push_back("reload: " + problem);
  }
  if (!lines.empty()) {
    lines.push_back("reload: the running settings are kept");
    return lines;
  }
  const ServerConfig& fresh = reading.config;
  std::vector<std::string> taken;
  std::vector<std::string> restart;
  std::vector<std::string> keys{"port", "database"};
  for (const Setting& setting : settings_table()) keys.emplace_back(setting.key);
  for (const auto& key : keys) {
    if (value_of(config_, key) == value_of(fresh, key)) continue;
    const Setting* setting = find_setting(key);
    (setting != nullptr && setting->reloadable ? taken : restart).push_back(key);
  }
  for (const auto& key : taken) {
    if (key == "nocheck") options_.no_check_digit = fresh.no_check_digit;
    if (key == "echo") options_.echo = fresh.echo;
    if (key == "json_escape_controls") options_.json_escape_controls = fresh.json_escape_controls;
    if (key == "access_log") options_.access_log = fresh.access_log;
    if (key == "access_log") config_.access_log_file = fresh.access_log_file;
    if (key == "access_log_format") options_.access_json = fresh.access_json;
    if (key == "adhoc") options_.adhoc = fresh.adhoc;
    if (key == "adhoc_max_bytes") options_.adhoc_max_bytes = fresh.adhoc_max_bytes;
    if (key == "adhoc_timeout") options_.adhoc_timeout = fresh.adhoc_timeout;
    if (key == "allow") config_.http.allow = fresh.http.allow;
    if (key == "trusted_proxy") config_.http.trusted_proxies = fresh.http.trusted_proxies;
    if (key == "admin_allow") config_.admin_allow = fresh.admin_allow;
    config_.values[key] = value_of(fresh, key);
  }
  if (server_) server_->set_access(config_.http.allow, config_.http.trusted_proxies);
  if (admin_) admin_->set_access(admin_allowed(config_), {});
  lines.push_back(taken.empty() ? "reloaded the settings: nothing to change"
                                : "reloaded the settings: " + joined(taken));
  if (!restart.empty()) lines.push_back("restart to apply: " + joined(restart));
  return lines;
}

}  // namespace vantor::shell
