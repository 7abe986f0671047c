// The picture box's bound, the window's and the operator console's alike.
#pragma once

#include <cstddef>

namespace vantor::shell {

// Decoded pictures are held to this size: bigger ones are decoded at a half, a quarter
// or an eighth of their size, or not at all. The console does not pass on a picture
// whose JPEG bytes alone are over it.
inline constexpr std::size_t kMaxPictureBytes = 64u * 1024 * 1024;

}  // namespace vantor::shell
