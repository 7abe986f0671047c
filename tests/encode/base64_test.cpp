// MIME Base64 with CR LF after every 76 characters.
#include <gtest/gtest.h>

#include "encode/base64.hpp"

namespace vantor::encode {
namespace {

TEST(Base64, PadsTheLastGroup) {
  EXPECT_EQ(StreamToBase64(""), "");
  EXPECT_EQ(StreamToBase64("f"), "Zg==");
  EXPECT_EQ(StreamToBase64("fo"), "Zm8=");
  EXPECT_EQ(StreamToBase64("foo"), "Zm9v");
  EXPECT_EQ(StreamToBase64(std::string("\xFB\xFF\x00", 3)), "+/8A");
}

TEST(Base64, BreaksLinesAfterSeventySixCharactersAndAtTheEndOfFullLines) {
  std::string line;
  for (int i = 0; i < 19; ++i) line += "YWFh";  // "aaa"
  const std::string bytes(57, 'a');
  EXPECT_EQ(StreamToBase64(bytes), line + "\r\n");
  EXPECT_EQ(StreamToBase64(bytes + bytes), line + "\r\n" + line + "\r\n");
  EXPECT_EQ(StreamToBase64(bytes + "a"), line + "\r\nYQ==");
  EXPECT_EQ(StreamToBase64(bytes.substr(1)).find('\r'), std::string::npos);
}

}  // namespace
}  // namespace vantor::encode
