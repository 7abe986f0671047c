// Escaping control characters.
#include "text/control_escape.hpp"

namespace vantor::text {
namespace {

constexpr char kHexDigits[] = "0123456789abcdef";

}  // namespace

std::size_t control_length(std::string_view text, std::size_t pos) {
  const auto byte = static_cast<unsigned char>(text[pos]);
  if (byte < 0x20 || byte == 0x7F) return 1;
  if (byte == 0xC2 && pos + 1 < text.size()) {
    const auto next = static_cast<unsigned char>(text[pos + 1]);
    if (next >= 0x80 && next <= 0x9F) return 2;
  }
  return 0;
}

void append_control_escape(std::string_view text, std::size_t pos, std::size_t length, std::string& out) {
  if (length == 2) {
    const auto code = static_cast<unsigned char>(text[pos + 1]);
    out += "\\u00";
    out.push_back(kHexDigits[code >> 4]);
    out.push_back(kHexDigits[code & 0xF]);
    return;
  }
  const auto code = static_cast<unsigned char>(text[pos]);
  switch (code) {
    case '\n': out += "\\n"; return;
    case '\r': out += "\\r"; return;
    case '\t': out += "\\t"; return;
    default:
      out += "\\x";
      out.push_back(kHexDigits[code >> 4]);
      out.push_back(kHexDigits[code & 0xF]);
  }
}

std::string escape_controls(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t length = control_length(text, pos);
    if (length == 0) {
      out.push_back(text[pos++]);
      continue;
    }
    append_control_escape(text, pos, length, out);
    pos += length;
  }
  return out;
}

}  // namespace vantor::text
