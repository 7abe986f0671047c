// Texts cross the database boundary as ISO-8859-1 bytes; inside the program they are UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace vantor::text {

// One byte per character; a character above U+00FF, or a broken UTF-8 sequence, becomes "?".
std::string utf8_to_latin1(std::string_view utf8);
// Whether utf8_to_latin1 keeps every character of utf8.
bool latin1_holds(std::string_view utf8);

// Appends the UTF-8 form of ISO-8859-1 bytes to out.
void append_latin1_as_utf8(std::string_view bytes, std::string& out);

inline std::string latin1_to_utf8(std::string_view bytes) {
  std::string out;
  append_latin1_as_utf8(bytes, out);
  return out;
}

}  // namespace vantor::text
