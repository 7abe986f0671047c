// Log lines made safe to show.
#include "http/request_log.hpp"

#include "db/db_error.hpp"
#include "text/control_escape.hpp"
#include "text/utf8.hpp"

namespace vantor::http {

std::string joined_lines(const std::vector<std::string>& entries) {
  std::string text;
  for (const auto& entry : entries) {
    text += entry;
    text += '\n';
  }
  return text;
}

void RequestLog::log(std::string line) { block_.entries.push_back(text::escape_controls(line)); }

void RequestLog::echo(std::string text, std::size_t left_out) {
  if (left_out > 0) text += "\n(" + std::to_string(left_out) + " more bytes of the answer left out)";
  block_.entries.push_back(std::move(text));
}

void RequestLog::parameters(const std::vector<std::string>& entries) {
  std::string text;
  for (const auto& entry : entries) {
    text += text::escape_controls(entry);
    text += '\n';
  }
  block_.entries.push_back(std::move(text));
}

void RequestLog::failure(std::string_view message) {
  block_.entries.push_back("Failure: " + text::escape_controls(message));
}

void RequestLog::failure(const std::exception& failure) {
  const std::string_view message = failure.what();
  if (db::lock_conflict(failure) && message.substr(0, 14) != "lock conflict:") {
    this->failure("lock conflict: " + std::string(message));
  } else {
    this->failure(message);
  }
}

}  // namespace vantor::http
