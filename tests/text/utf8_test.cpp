// UTF-8 reading by code point, and the ISO-8859-1 boundary of the database.
#include <gtest/gtest.h>

#include "text/latin1.hpp"
#include "text/utf8.hpp"

namespace vantor {
namespace {

TEST(Utf8, BrokenSequencesReadAsReplacementCharacter) {
  struct Case {
    const char* id;
    std::string input;
    std::u32string expected;
  } cases[] = {
      {"ascii", "ab", U"ab"},
      {"two bytes", "\xC3\xA9", U"\u00E9"},
      {"lone continuation", "\x80x", U"\uFFFDx"},
      {"cut short", "\xE2\x82", U"\uFFFD"},
      {"overlong", "\xC0\xAF", U"\uFFFD\uFFFD"},
      {"surrogate", "\xED\xA0\x80", U"\uFFFD"},
      {"four bytes", "\xF0\x9F\x98\x80", U"\U0001F600"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.id);
    std::u32string decoded;
    text::for_each_code_point(c.input, [&](char32_t cp) { decoded.push_back(cp); });
    EXPECT_EQ(decoded, c.expected);
  }
}

TEST(Utf8, DropAndTakeCountCodePoints) {
  EXPECT_EQ(text::drop_code_points("code=12", 5), "12");
  EXPECT_EQ(text::drop_code_points("code", 5), "");
  EXPECT_EQ(text::drop_code_points("\xC3\xA9t\xC3\xA9", 1), "t\xC3\xA9");
  EXPECT_EQ(text::take_code_points("\xC3\xA9t\xC3\xA9", 2), "\xC3\xA9t");
  EXPECT_EQ(text::code_point_count("\xD8\xB3\xD9\x84"), 2u);
}

TEST(Latin1, OneBytePerCharacterAndQuestionMarkBeyond) {
  EXPECT_EQ(text::utf8_to_latin1("a\xC3\xA9\xC3\xBF"), "a\xE9\xFF");
  EXPECT_EQ(text::utf8_to_latin1("\xE2\x82\xAC"), "?");  // the euro sign is not in ISO-8859-1
  EXPECT_EQ(text::utf8_to_latin1("\xFF"), "?");          // broken UTF-8
  EXPECT_EQ(text::latin1_to_utf8("a\xE9\xFF"), "a\xC3\xA9\xC3\xBF");
}

}  // namespace
}  // namespace vantor
