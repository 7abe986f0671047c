// Invoice notes from UTF-8 (read one character per byte) to Windows-1256 bytes.
#include <gtest/gtest.h>

#include "encode/reencode_note.hpp"
#include "text/latin1.hpp"

namespace vantor::encode {
namespace {

// The note as the request front delivers it: one character per received byte.
std::string received(std::string_view bytes) { return text::latin1_to_utf8(bytes); }

TEST(ReencodeNote, Cases) {
  struct Case {
    const char* id;
    std::string sent;      // the bytes the client percent-escaped
    std::string expected;  // the bytes the database receives
  } cases[] = {
      {"empty", "", ""},
      {"ascii", "Paid in cash 50/2", "Paid in cash 50/2"},
      {"arabic word", "\xD8\xB3\xD9\x84\xD8\xA7\xD9\x85", "\xD3\xE1\xC7\xE3"},
      {"invalid byte", "\xFF", "?"},
      {"cut sequence", "a\xD8", "a?"},
      {"cjk ideograph", "\xE4\xB8\xAD", "?"},
      {"euro sign", "\xE2\x82\xAC", "\x80"},
      {"mixed", "x \xD8\xB3 y", "x \xD3 y"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.id);
    EXPECT_EQ(text::utf8_to_latin1(ReencodeNote(received(c.sent))), c.expected);
  }
}

}  // namespace
}  // namespace vantor::encode
