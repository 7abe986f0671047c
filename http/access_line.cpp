// Access lines.
#include "http/access_line.hpp"

#include <cstdio>
#include <ctime>

#include "text/control_escape.hpp"

namespace vantor::http {
namespace {

std::string iso_time(std::chrono::system_clock::time_point time) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(time);
  const auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch()).count() % 1000;
  std::tm utc{};
  gmtime_r(&seconds, &utc);
  char text[40];
  const std::size_t length = std::strftime(text, sizeof(text), "%Y-%m-%dT%H:%M:%S", &utc);
  std::snprintf(text + length, sizeof(text) - length, ".%03dZ", static_cast<int>(millis));
  return text;
}

std::string milliseconds_text(double milliseconds) {
  char text[32];
  std::snprintf(text, sizeof(text), "%.1f", milliseconds);
  return text;
}

// A JSON string: the control characters escaped first (as the activity log shows them),
// then quotes and backslashes.
std::string json_string(std::string_view raw) {
  std::string out = "\"";
  for (const char c : text::escape_controls(raw)) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

}  // namespace

std::string access_text(const AccessFacts& facts) {
  return iso_time(facts.time) + " " + std::string(facts.client) + " " + text::escape_controls(facts.method) + " " +
         text::escape_controls(facts.path) + " " + std::to_string(facts.status) + " " + std::string(facts.route) + " " +
         std::string(facts.outcome) + " " + std::to_string(facts.bytes) + " " + milliseconds_text(facts.milliseconds);
}

std::string access_json(const AccessFacts& facts) {
  return "{\"time\":\"" + iso_time(facts.time) + "\",\"client\":" + json_string(facts.client) +
         ",\"method\":" + json_string(facts.method) + ",\"path\":" + json_string(facts.path) +
         ",\"status\":" + std::to_string(facts.status) + ",\"route\":" + json_string(facts.route) +
         ",\"outcome\":" + json_string(facts.outcome) + ",\"bytes\":" + std::to_string(facts.bytes) +
         ",\"ms\":" + milliseconds_text(facts.milliseconds) + "}";
}

}  // namespace vantor::http
