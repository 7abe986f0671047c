// The keys of vantor.conf and the parsers of their values.
#include "shell/core/settings_table.hpp"

#include <sys/stat.h>

#include <charconv>
#include <stdexcept>

#include "text/ascii.hpp"

namespace vantor::shell {
namespace {

using std::filesystem::path;

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

std::chrono::milliseconds positive_duration(std::string_view value) {
  const auto exact = duration(value);
  if (exact.count() == 0) throw std::invalid_argument("0 is not allowed here");
  return exact;
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

std::size_t positive_size(std::string_view value) {
  const std::size_t number = size(value);
  if (number == 0) throw std::invalid_argument("0 is not allowed here");
  return number;
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

// "[address:]port"; an IPv6 address in brackets ("[::1]:9090").
AdminAddress admin_address(std::string_view value) {
  AdminAddress admin;
  std::string_view port = value;
  if (const auto colon = value.rfind(':'); colon != std::string_view::npos) {
    std::string_view address = value.substr(0, colon);
    if (address.size() >= 2 && address.front() == '[' && address.back() == ']') {
      address = address.substr(1, address.size() - 2);
    }
    admin.address = std::string(address);
    port = value.substr(colon + 1);
  }
  const auto number = whole(port);
  if (number == 0 || number > 65535) throw std::invalid_argument("'" + std::string(port) + "' is not a port");
  admin.port = static_cast<std::uint16_t>(number);
  return admin;
}

// The first line of a password file, and a warning when others may read it.
std::string password_from(const path& file, ServerConfig& config) {
  const auto line = first_line(file);
  if (!line) throw std::invalid_argument("the password file " + file.string() + " cannot be read");
  struct stat info {};
  if (::stat(file.c_str(), &info) == 0 && (info.st_mode & S_IROTH) != 0) {
    config.warnings.push_back("the password file " + file.string() + " can be read by every user of this machine");
  }
  return *line;
}

}  // namespace

const std::vector<Setting>& settings_table() {
  static const std::vector<Setting> table = {
      {"lock_timeout", "10", "", "`10`",
       "seconds a write (and a \"/room\" pass) waits for a row lock another transaction holds", false,
       [](auto v, auto&, auto& c) { c.db.lock_timeout = whole_seconds(v); }},
      {"connect_timeout", "10", "", "`10`", "seconds attaching waits for the database host", false,
       [](auto v, auto&, auto& c) { c.db.connect_timeout = whole_seconds(v); }},
      {"probe_interval", "2s", "", "`2s`", "how often the link probe makes its round trip (`s` or `ms`)", false,
       [](auto v, auto&, auto& c) { c.db.probe_interval = duration(v); }},
      {"probe_timeout", "5s", "", "`5s`", "a probe round trip slower than this counts the link as down", false,
       [](auto v, auto&, auto& c) { c.db.probe_timeout = duration(v); }},
      {"idle_check", "5s", "", "`5s`",
       "an attachment idle longer than this makes a round trip (bounded by `probe_timeout`) before it is lent; "
       "one that gets no answer is replaced",
       false, [](auto v, auto&, auto& c) { c.db.idle_check = duration(v); }},
      {"round_trip_silence", "5s", "", "`5s`",
       "a request's round trip outstanding longer than this is looked up in the server's monitoring tables; one "
       "the server is not running is cut and the request gets the empty answer",
       false, [](auto v, auto&, auto& c) { c.db.round_trip_silence = positive_duration(v); }},
      {"adhoc_timeout", "30s", "", "`30s`",
       "a statement of \"/myjson\" or \"/myhtml\" running longer than this is cancelled and gets the fallback "
       "answer",
       true, [](auto v, auto&, auto& c) { c.adhoc_timeout = positive_duration(v); }},
      {"stop_grace", "20s", "", "`20s`", "how long running requests may take to finish at a stop", false,
       [](auto v, auto&, auto& c) { c.http.stop_grace = duration(v); }},
      {"answer_budget", "256M", "", "`256M`",
       "answer bytes held in memory; while they reach it, big lists and caller's statements wait to start (`K`, "
       "`M`, `G`)",
       false, [](auto v, auto&, auto& c) { c.http.answer_budget = positive_size(v); }},
      {"body_budget", "64M", "", "`64M`",
       "request body bytes held in memory; a body that does not fit is not read until there is room (`K`, `M`, "
       "`G`)",
       false, [](auto v, auto&, auto& c) { c.http.body_budget = positive_size(v); }},
      {"queue_bound", "1024", "", "`1024`", "requests waiting for a worker before the server stops reading", false,
       [](auto v, auto&, auto& c) { c.http.queue_bound = positive_size(v); }},
      {"event_loops", "", "CORES", "the number of cores (at most 16)",
       "threads holding the connections; each runs the lock-free reads of its connections itself when an "
       "attachment is free",
       false, [](auto v, auto&, auto& c) { c.http.event_loops = positive_size(v); }},
      {"db_user", "SYSDBA", "", "`SYSDBA`", "the database login", false,
       [](auto v, auto&, auto& c) { c.db.user = std::string(v); }},
      {"password_file", "", "FILE", "(none: `masterkey`)",
       "a file whose first line is the password; a warning at start when others can read it", false,
       [](auto v, auto& folder, auto& c) { c.db.password = password_from(folder / path(v), c); }},
      {"nocheck", "off", "", "`off`",
       "\"No Check Digit\" at start; the console and window toggles change it for their own process only", true,
       [](auto v, auto&, auto& c) { c.no_check_digit = on_off(v); }},
      {"admin", "", "[ADDRESS:]PORT", "(off)",
       "`[address:]port` of the admin listener (/live, /ready, /metrics); address `127.0.0.1` when left out", false,
       [](auto v, auto&, auto& c) { c.admin = admin_address(v); }},
      {"admin_allow", "", "NETWORK, ...", "(this machine; and `allow` when `admin` names no loopback address)",
       "`NETWORK, ...` that may reach the admin listener; connections from elsewhere are closed without an "
       "answer",
       true, [](auto v, auto&, auto& c) { c.admin_allow = http::NetworkList::parse(v); }},
      {"admin_token_file", "", "FILE", "(none)",
       "a file holding the operator console's token (16 characters or more, e.g. from `openssl rand -hex 32`): "
       "the console's actions need it, and on an admin address that is not a loopback one its page and streams "
       "too (without it the console is off there)",
       false, [](auto v, auto& folder, auto& c) { c.admin_token_file = folder / path(v); }},
      {"access_log", "off", "", "`off`",
       "`on`: one line per request (time to the millisecond, client, method, path, status, route, outcome, answer "
       "bytes, milliseconds) with the activity log; a file name: the lines go to that file, opened anew on "
       "SIGHUP (for log rotation)",
       true,
       [](auto v, auto& folder, auto& c) {
         c.access_log_file.clear();
         if (v == "on" || v == "off") {
           c.access_log = on_off(v);
         } else {
           c.access_log = true;
           c.access_log_file = folder / std::filesystem::path(v);
         }
       }},
      {"access_log_format", "text", "", "`text`",
       "`json`: each access line a JSON object (`time`, `client`, `method`, `path`, `status`, `route`, `outcome`, "
       "`bytes`, `ms`)",
       true,
       [](auto v, auto&, auto& c) {
         if (v != "text" && v != "json")
           throw std::invalid_argument("'" + std::string(v) + "' is neither text nor json");
         c.access_json = v == "json";
       }},
      {"echo", "on", "", "`on`", "`off`: answers are left out of the activity log", true,
       [](auto v, auto&, auto& c) { c.echo = on_off(v); }},
      {"json_escape_controls", "off", "", "`off`",
       "`on`: control characters inside the strings of JSON answers (the line breaks of a Base64 picture, a "
       "tab in a name) are written as `\\r`, `\\n`, `\\t` or `\\u00XX`, so every JSON answer is RFC 8259 JSON that "
       "`JSON.parse` and `json.loads` read; `off` keeps the bytes existing clients have always had",
       true, [](auto v, auto&, auto& c) { c.json_escape_controls = on_off(v); }},
      {"adhoc", "on", "", "`on`",
       "\"/myjson\" and \"/myhtml\": `on` runs any statement and commits it; `read` runs plain selects only, "
       "never committed; `off` gives the fallback answer without touching the database (see Access)",
       true, [](auto v, auto&, auto& c) { c.adhoc = adhoc_mode(v); }},
      {"adhoc_max_bytes", "0", "", "`0` (no cap)",
       "a bigger \"/myjson\" or \"/myhtml\" answer gives the fallback answer (`K`, `M`, `G`)", true,
       [](auto v, auto&, auto& c) { c.adhoc_max_bytes = size(v); }},
      {"adhoc_user", "", "NAME", "(none: `db_user`)", "a login of its own for \"/myjson\" and \"/myhtml\"", false,
       [](auto v, auto&, auto& c) { c.adhoc_login.user = std::string(v); }},
      {"adhoc_password_file", "", "FILE", "(none: `masterkey`)", "its password, as `password_file`", false,
       [](auto v, auto& folder, auto& c) { c.adhoc_login.password = password_from(folder / path(v), c); }},
      {"allow", "", "NETWORK, ...", "(everyone)",
       "`NETWORK, ...` (`192.168.1.0/24`, `fd00::/8`, a bare address for one host): connections from elsewhere "
       "are closed without an answer",
       true, [](auto v, auto&, auto& c) { c.http.allow = http::NetworkList::parse(v); }},
      {"trusted_proxy", "", "ADDRESS, ...", "(none)",
       "`ADDRESS, ...` of reverse proxies whose `X-Forwarded-For` names the client", true,
       [](auto v, auto&, auto& c) { c.http.trusted_proxies = http::NetworkList::parse(v); }},
  };
  return table;
}

const Setting* find_setting(std::string_view key) {
  for (const Setting& setting : settings_table()) {
    if (setting.key == key) return &setting;
  }
  return nullptr;
}

}  // namespace vantor::shell
