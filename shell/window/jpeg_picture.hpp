// Decodes a JPEG picture for the picture box, reading no byte past the buffer.
#pragma once

#include <cstddef>
#include <memory>
#include <string_view>

#include <FL/Fl_RGB_Image.H>

#include "shell/core/picture_bound.hpp"

namespace vantor::shell {

// nullptr when the bytes do not decode, or the picture is too big even at an eighth of
// its size. Never throws.
std::unique_ptr<Fl_RGB_Image> decode_jpeg(std::string_view bytes, std::size_t max_bytes = kMaxPictureBytes);

}  // namespace vantor::shell
