// Decodes a JPEG picture for the picture box, reading no byte past the buffer.
#pragma once

#include <memory>
#include <string_view>

#include <FL/Fl_RGB_Image.H>

namespace vantor::shell {

// nullptr when the bytes do not decode.
std::unique_ptr<Fl_RGB_Image> decode_jpeg(std::string_view bytes);

}  // namespace vantor::shell
