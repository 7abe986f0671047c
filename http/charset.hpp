// Bytes of a request read as text in the character set its Content-Type names.
#pragma once

#include <string>
#include <string_view>

namespace vantor::http {

// Appends bytes as UTF-8: decoded from UTF-8 or another character set the system knows
// (through iconv); one character per byte (ISO-8859-1) when charset is empty or unknown.
// Undecodable sequences become U+FFFD.
void append_decoded(std::string_view bytes, std::string_view charset, std::string& out);

// The charset parameter of a Content-Type value ("" when it has none).
std::string charset_of(std::string_view content_type);
// The media type of a Content-Type value, lower-cased, without parameters.
std::string media_type_of(std::string_view content_type);

}  // namespace vantor::http
