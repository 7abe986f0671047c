// Character rules that touch only ASCII: case of the letters A to Z, blanks, hex digits.
#pragma once

#include <string>
#include <string_view>

namespace vantor::text {

inline char ascii_lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
inline char ascii_upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// Blanks in the wide sense the program trims: every character of code 32 or below.
inline bool is_blank(char c) { return static_cast<unsigned char>(c) <= 32; }

// text without the blanks at either end.
inline std::string_view trim_blanks(std::string_view text) {
  while (!text.empty() && is_blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && is_blank(text.back())) text.remove_suffix(1);
  return text;
}

// The value of a hexadecimal digit, or -1.
inline int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

inline std::string ascii_lowercase(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = ascii_lower(c);
  return out;
}

inline std::string ascii_uppercase(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = ascii_upper(c);
  return out;
}

inline bool iequals(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (ascii_lower(a[i]) != ascii_lower(b[i])) return false;
  }
  return true;
}

}  // namespace vantor::text
