// ISO-8859-1 <-> UTF-8 for the database boundary.
#include "text/latin1.hpp"

#include "text/utf8.hpp"

namespace vantor::text {

std::string utf8_to_latin1(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for_each_code_point(utf8, [&](char32_t cp) { out.push_back(cp <= 0xFF ? static_cast<char>(cp) : '?'); });
  return out;
}

bool latin1_holds(std::string_view utf8) {
  bool holds = true;
  for_each_code_point(utf8, [&](char32_t cp) { holds = holds && cp <= 0xFF; });
  return holds;
}

void append_latin1_as_utf8(std::string_view bytes, std::string& out) {
  out.reserve(out.size() + bytes.size());
  for (unsigned char byte : bytes) {
    if (byte < 0x80) {
      out.push_back(static_cast<char>(byte));
    } else {
      out.push_back(static_cast<char>(0xC0 | (byte >> 6)));
      out.push_back(static_cast<char>(0x80 | (byte & 0x3F)));
    }
  }
}

}  // namespace vantor::text
