// Standard JSON strings.
#include "text/json_string.hpp"

namespace vantor::text {

void append_json_quoted(std::string_view text, std::string& out) {
  static constexpr char kHex[] = "0123456789abcdef";
  out.push_back('"');
  for (const char c : text) {
    const auto code = static_cast<unsigned char>(c);
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (code < 0x20) {
          out += "\\u00";
          out.push_back(kHex[code >> 4]);
          out.push_back(kHex[code & 0xF]);
        } else {
          out.push_back(c);
        }
    }
  }
  out.push_back('"');
}

std::string json_quoted(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 2);
  append_json_quoted(text, out);
  return out;
}

}  // namespace vantor::text
