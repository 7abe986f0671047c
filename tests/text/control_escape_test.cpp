// Control characters in logged texts become visible escapes.
#include <gtest/gtest.h>

#include "text/control_escape.hpp"

namespace vantor::text {
namespace {

TEST(EscapeControls, EveryControlCharacterBecomesAnEscape) {
  struct Case {
    const char* id;
    std::string input;
    std::string expected;
  } cases[] = {
      {"plain text and non-ASCII stay", "Caf\xC3\xA9 /price?a=1", "Caf\xC3\xA9 /price?a=1"},
      {"line breaks and tab by name", "a\nb\rc\td", "a\\nb\\rc\\td"},
      {"escape and bell", "\x1b[2J\x07", "\\x1b[2J\\x07"},
      {"NUL and DEL", std::string("a\0b\x7f", 4), "a\\x00b\\x7f"},
      {"C1 controls as code points", "x\xC2\x85y\xC2\x9B", "x\\u0085y\\u009b"},
      {"U+00A0 is no control", "\xC2\xA0", "\xC2\xA0"},
      {"a lone 0xC2 at the end stays", "\xC2", "\xC2"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.id);
    EXPECT_EQ(escape_controls(c.input), c.expected);
  }
}

}  // namespace
}  // namespace vantor::text
