// Reading vantor.conf.
#include "shell/core/settings_file.hpp"

#include <sys/stat.h>

#include <charconv>
#include <functional>
#include <map>

#include "shell/core/config_files.hpp"
#include "text/ascii.hpp"

namespace vantor::shell {
namespace {

std::uint64_t whole(std::string_view value) {
  std::uint64_t number = 0;
  const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
  if (error != std::errc() || end != value.data() + value.size() || value.empty()) {
    throw std::invalid_argument("'" + std::string(value) + "' is not a whole number");
  }
  return number;
}

// "10" or "10s" seconds, "500ms" milliseconds.
std::chrono::milliseconds duration(std::string_view value) {
  if (value.size() > 2 && value.substr(value.size() - 2) == "ms") {
    return std::chrono::milliseconds(whole(value.substr(0, value.size() - 2)));
  }
  if (value.size() > 1 && value.back() == 's') value.remove_suffix(1);
  return std::chrono::seconds(whole(value));
}

std::chrono::seconds whole_seconds(std::string_view value) {
  const auto exact = duration(value);
  if (exact.count() % 1000 != 0 || exact.count() == 0) {
    throw std::invalid_argument("'" + std::string(value) + "' is not a whole number of seconds above 0");
  }
  return std::chrono::duration_cast<std::chrono::seconds>(exact);
}

// Bytes, optionally with K, M or G (1024 based).
std::size_t size(std::string_view value) {
  std::size_t unit = 1;
  if (!value.empty()) {
    switch (text::ascii_upper(value.back())) {
      case 'K': unit = 1024; break;
      case 'M': unit = 1024 * 1024; break;
      case 'G': unit = 1024 * 1024 * 1024; break;
      default: break;
    }
  }
  if (unit != 1) value.remove_suffix(1);
  return static_cast<std::size_t>(whole(value)) * unit;
}

http::AdhocMode adhoc_mode(std::string_view value) {
  if (value == "on") return http::AdhocMode::On;
  if (value == "read") return http::AdhocMode::Read;
  if (value == "off") return http::AdhocMode::Off;
  throw std::invalid_argument("'" + std::string(value) + "' is none of on, read, off");
}

bool on_off(std::string_view value) {
  if (value == "on") return true;
  if (value == "off") return false;
  throw std::invalid_argument("'" + std::string(value) + "' is neither on nor off");
}

std::size_t positive(std::size_t number) {
  if (number == 0) throw std::invalid_argument("0 is not allowed here");
  return number;
}

// "[address:]port"; an IPv6 address in brackets ("[::1]:9090").
AdminAddress admin_address(std::string_view value) {
  AdminAddress admin;
  std::string_view port = value;
  if (const auto colon = value.rfind(':'); colon != std::string_view::npos) {
    std::string_view address = value.substr(0, colon);
    if (address.size() >= 2 && address.front() == '[' && address.back() == ']') address = address.substr(1, address.size() - 2);
    admin.address = std::string(address);
    port = value.substr(colon + 1);
  }
  const auto number = whole(port);
  if (number == 0 || number > 65535) throw std::invalid_argument("'" + std::string(port) + "' is not a port");
  admin.port = static_cast<std::uint16_t>(number);
  return admin;
}

// The first line of a password file, and a warning when others may read it.
std::string password_from(const std::filesystem::path& file, ServerConfig& config) {
  const auto line = first_line(file);
  if (!line) throw std::invalid_argument("the password file " + file.string() + " cannot be read");
  struct stat info {};
  if (::stat(file.c_str(), &info) == 0 && (info.st_mode & S_IROTH) != 0) {
    config.warnings.push_back("the password file " + file.string() + " can be read by every user of this machine");
  }
  return *line;
}

using Setter = std::function<void(std::string_view value, const std::filesystem::path& folder, ServerConfig&)>;

const std::map<std::string, Setter, std::less<>>& setters() {
  static const std::map<std::string, Setter, std::less<>> table = {
      {"lock_timeout", [](auto v, auto&, auto& c) { c.db.lock_timeout = whole_seconds(v); }},
      {"connect_timeout", [](auto v, auto&, auto& c) { c.db.connect_timeout = whole_seconds(v); }},
      {"probe_interval", [](auto v, auto&, auto& c) { c.db.probe_interval = duration(v); }},
      {"probe_timeout", [](auto v, auto&, auto& c) { c.db.probe_timeout = duration(v); }},
      {"stop_grace", [](auto v, auto&, auto& c) { c.http.stop_grace = duration(v); }},
      {"answer_budget", [](auto v, auto&, auto& c) { c.http.answer_budget = positive(size(v)); }},
      {"queue_bound", [](auto v, auto&, auto& c) { c.http.queue_bound = positive(size(v)); }},
      {"event_loops", [](auto v, auto&, auto& c) { c.http.event_loops = positive(size(v)); }},
      {"db_user", [](auto v, auto&, auto& c) { c.db.user = std::string(v); }},
      {"password_file",
       [](auto v, auto& folder, auto& c) { c.db.password = password_from(folder / std::filesystem::path(v), c); }},
      {"nocheck", [](auto v, auto&, auto& c) { c.no_check_digit = on_off(v); }},
      {"adhoc", [](auto v, auto&, auto& c) { c.adhoc = adhoc_mode(v); }},
      {"adhoc_max_bytes", [](auto v, auto&, auto& c) { c.adhoc_max_bytes = size(v); }},
      {"adhoc_user", [](auto v, auto&, auto& c) { c.adhoc_login.user = std::string(v); }},
      {"adhoc_password_file",
       [](auto v, auto& folder, auto& c) { c.adhoc_login.password = password_from(folder / std::filesystem::path(v), c); }},
      {"admin", [](auto v, auto&, auto& c) { c.admin = admin_address(v); }},
      {"allow", [](auto v, auto&, auto& c) { c.http.allow = http::NetworkList::parse(v); }},
      {"trusted_proxy", [](auto v, auto&, auto& c) { c.http.trusted_proxies = http::NetworkList::parse(v); }},
      {"access_log", [](auto v, auto&, auto& c) { c.access_log = on_off(v); }},
      {"echo", [](auto v, auto&, auto& c) { c.echo = on_off(v); }},
  };
  return table;
}

}  // namespace

void apply_settings(std::string_view lines, const std::filesystem::path& folder, ServerConfig& config) {
  std::size_t number = 0;
  while (!lines.empty()) {
    ++number;
    const auto end = lines.find('\n');
    std::string_view line = lines.substr(0, end);
    lines = end == std::string_view::npos ? std::string_view{} : lines.substr(end + 1);
    if (const auto hash = line.find('#'); hash != std::string_view::npos) line = line.substr(0, hash);
    line = text::trim_blanks(line);
    if (line.empty()) continue;
    const std::string where = "vantor.conf line " + std::to_string(number) + ": ";
    const auto equals = line.find('=');
    if (equals == std::string_view::npos) throw SettingsError(where + "expected key = value");
    const std::string_view key = text::trim_blanks(line.substr(0, equals));
    const std::string_view value = text::trim_blanks(line.substr(equals + 1));
    const auto setter = setters().find(key);
    if (setter == setters().end()) throw SettingsError(where + "unknown key '" + std::string(key) + "'");
    try {
      setter->second(value, folder, config);
    } catch (const std::exception& failure) {
      throw SettingsError(where + std::string(key) + ": " + failure.what());
    }
  }
}

std::string_view settings_help() {
  return R"(  lock_timeout = 10       seconds a write waits for a row lock another transaction holds
  connect_timeout = 10    seconds attaching waits for the database host
  probe_interval = 2s     how often the link probe makes its round trip (s or ms)
  probe_timeout = 5s      a probe round trip slower than this counts the link as down
  stop_grace = 20s        how long running requests may take to finish at a stop
  answer_budget = 256M    answer bytes held in memory (K, M, G)
  queue_bound = 1024      requests waiting for a worker before reading stops
  event_loops = CORES     threads holding the connections; each runs reads inline
  db_user = SYSDBA        the database login
  password_file = FILE    its first line is the password (default: masterkey)
  nocheck = off           "No Check Digit" at start
  adhoc = on              /myjson and /myhtml: on (any statement), read (plain selects,
                          never committed) or off (the fallback answer)
  adhoc_max_bytes = 0     a bigger /myjson or /myhtml answer gives the fallback answer
                          (K, M, G; 0: no cap)
  adhoc_user = NAME       a login of its own for /myjson and /myhtml (default: db_user)
  adhoc_password_file = FILE  its password (default: masterkey)
  admin = [ADDRESS:]PORT  the admin listener (/live, /ready, /metrics); address 127.0.0.1
  allow = NETWORK, ...    only these may call: 192.168.1.0/24, fd00::/8, 10.0.0.7
                          (default: everyone); others are closed without an answer
  trusted_proxy = ADDRESS, ...  proxies whose X-Forwarded-For names the client
  access_log = off        one line per request: time, client, method, path, outcome, bytes, ms
  echo = on               answers echoed into the activity log
)";
}

}  // namespace vantor::shell
