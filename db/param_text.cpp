// ":name" -> "?" outside quotes and comments.
#include "db/param_text.hpp"

namespace vantor::db {
namespace {

bool is_name_char(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '$';
}

// Copies a quoted run starting at pos (the quote) and returns the position after it.
std::size_t copy_quoted(std::string_view text, std::size_t pos, std::string& out) {
  const char quote = text[pos];
  out.push_back(quote);
  ++pos;
  while (pos < text.size()) {
    out.push_back(text[pos]);
    if (text[pos] == quote) {
      if (pos + 1 < text.size() && text[pos + 1] == quote) {
        out.push_back(quote);
        pos += 2;
        continue;
      }
      return pos + 1;
    }
    ++pos;
  }
  return pos;
}

std::size_t copy_until(std::string_view text, std::size_t pos, std::string_view end, std::string& out) {
  const auto stop = text.find(end, pos);
  const auto last = stop == std::string_view::npos ? text.size() : stop + end.size();
  out.append(text.substr(pos, last - pos));
  return last;
}

}  // namespace

PositionalText to_positional(std::string_view text) {
  PositionalText result;
  result.text.reserve(text.size());
  std::size_t pos = 0;
  while (pos < text.size()) {
    const char c = text[pos];
    if (c == '\'' || c == '"') {
      pos = copy_quoted(text, pos, result.text);
    } else if (c == '-' && text.substr(pos, 2) == "--") {
      pos = copy_until(text, pos, "\n", result.text);
    } else if (c == '/' && text.substr(pos, 2) == "/*") {
      pos = copy_until(text, pos, "*/", result.text);
    } else if (c == ':' && pos + 1 < text.size() && is_name_char(text[pos + 1])) {
      std::size_t end = pos + 1;
      while (end < text.size() && is_name_char(text[end])) ++end;
      result.names.emplace_back(text.substr(pos + 1, end - pos - 1));
      result.text.push_back('?');
      pos = end;
    } else {
      result.text.push_back(c);
      ++pos;
    }
  }
  return result;
}

}  // namespace vantor::db
