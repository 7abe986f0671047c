// Whether stored bytes are a JPEG picture: its headers, up to the first scan, must read
// without error. The image data itself is not decoded.
#pragma once

#include <string_view>

namespace vantor::encode {

bool has_jpeg_headers(std::string_view bytes) noexcept;

}  // namespace vantor::encode
