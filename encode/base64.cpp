// MIME Base64 with CR LF line breaks.
#include "encode/base64.hpp"

namespace vantor::encode {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr std::size_t kBytesPerLine = 57;  // 76 characters

}  // namespace

void append_base64(std::string_view bytes, std::string& out) {
  out.reserve(out.size() + (bytes.size() + 2) / 3 * 4 + bytes.size() / kBytesPerLine * 2 + 2);
  std::size_t in_line = 0;
  std::size_t i = 0;
  for (; i + 3 <= bytes.size(); i += 3) {
    const unsigned value = static_cast<unsigned char>(bytes[i]) << 16 | static_cast<unsigned char>(bytes[i + 1]) << 8 |
                           static_cast<unsigned char>(bytes[i + 2]);
    out.push_back(kAlphabet[value >> 18 & 63]);
    out.push_back(kAlphabet[value >> 12 & 63]);
    out.push_back(kAlphabet[value >> 6 & 63]);
    out.push_back(kAlphabet[value & 63]);
    in_line += 3;
    if (in_line == kBytesPerLine) {
      out += "\r\n";
      in_line = 0;
    }
  }
  const std::size_t rest = bytes.size() - i;
  if (rest > 0) {
    unsigned value = static_cast<unsigned char>(bytes[i]) << 16;
    if (rest == 2) value |= static_cast<unsigned char>(bytes[i + 1]) << 8;
    out.push_back(kAlphabet[value >> 18 & 63]);
    out.push_back(kAlphabet[value >> 12 & 63]);
    out.push_back(rest == 2 ? kAlphabet[value >> 6 & 63] : '=');
    out.push_back('=');
  }
}

std::string StreamToBase64(std::string_view bytes) {
  std::string out;
  append_base64(bytes, out);
  return out;
}

}  // namespace vantor::encode
