// Narrow to bytes, read them as UTF-8, write Windows-1256, widen again.
#include "encode/reencode_note.hpp"

#include <iconv.h>

#include <unordered_map>

#include "text/latin1.hpp"
#include "text/utf8.hpp"

namespace vantor::encode {
namespace {

// Code point -> Windows-1256 byte, read once from iconv's own table.
const std::unordered_map<char32_t, char>& windows_1256() {
  static const std::unordered_map<char32_t, char> table = [] {
    std::unordered_map<char32_t, char> map;
    iconv_t converter = iconv_open("UTF-32LE", "WINDOWS-1256");
    if (converter == reinterpret_cast<iconv_t>(-1)) return map;
    for (int byte = 0; byte < 256; ++byte) {
      char in[1] = {static_cast<char>(byte)};
      char32_t out = 0;
      char* in_ptr = in;
      char* out_ptr = reinterpret_cast<char*>(&out);
      std::size_t in_left = 1;
      std::size_t out_left = sizeof(out);
      if (iconv(converter, &in_ptr, &in_left, &out_ptr, &out_left) != static_cast<std::size_t>(-1)) {
        map.emplace(out, static_cast<char>(byte));
      }
      iconv(converter, nullptr, nullptr, nullptr, nullptr);
    }
    iconv_close(converter);
    return map;
  }();
  return table;
}

}  // namespace

std::string ReencodeNote(std::string_view text) {
  const std::string bytes = text::utf8_to_latin1(text);  // the bytes the client escaped
  const auto& table = windows_1256();
  std::string encoded;
  text::for_each_code_point(bytes, [&](char32_t cp) {
    const auto found = cp == text::kReplacementCharacter ? table.end() : table.find(cp);
    encoded.push_back(found == table.end() ? '?' : found->second);
  });
  return text::latin1_to_utf8(encoded);
}

}  // namespace vantor::encode
