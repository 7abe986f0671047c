// Base64 in its MIME form, as pictures are sent inside JSON strings.
#pragma once

#include <string>
#include <string_view>

namespace vantor::encode {

// Standard alphabet with "=" padding; CR LF after every 76 characters of output, also at
// the very end when the input is a multiple of 57 bytes. Empty input gives "".
void append_base64(std::string_view bytes, std::string& out);
std::string StreamToBase64(std::string_view bytes);

}  // namespace vantor::encode
