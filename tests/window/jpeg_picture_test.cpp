// The picture box's decoding: a header that claims a huge picture is scaled down or
// refused before anything of its size is allocated.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "shell/window/jpeg_picture.hpp"
#include "tests/support/test_database.hpp"

namespace vantor::shell {
namespace {

std::string fixture() {
  std::ifstream in(std::string(VANTOR_SOURCE_DIR_DEFAULT) + "/tests/fixtures/picture.jpg", std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The same picture with its frame header claiming other dimensions.
std::string claiming(int width, int height) {
  std::string bytes = fixture();
  const auto frame = bytes.find("\xFF\xC0");
  EXPECT_NE(frame, std::string::npos);
  bytes[frame + 5] = static_cast<char>(height >> 8);
  bytes[frame + 6] = static_cast<char>(height & 0xFF);
  bytes[frame + 7] = static_cast<char>(width >> 8);
  bytes[frame + 8] = static_cast<char>(width & 0xFF);
  return bytes;
}

TEST(JpegPicture, AHugeHeaderIsScaledDownOrRefused) {
  ASSERT_NE(decode_jpeg(fixture()), nullptr);
  // 8000 x 8000 x 3 is 192 MB: decoded at half its size, 4000 x 4000 (48 MB)
  const auto scaled = decode_jpeg(claiming(8000, 8000));
  ASSERT_NE(scaled, nullptr);
  EXPECT_EQ(scaled->w(), 4000);
  EXPECT_EQ(scaled->h(), 4000);
  // 65000 x 65000 x 3 is about 12.7 GB: even an eighth is too much
  EXPECT_EQ(decode_jpeg(claiming(65000, 65000)), nullptr);
  EXPECT_EQ(decode_jpeg("not a picture"), nullptr);
}

}  // namespace
}  // namespace vantor::shell
