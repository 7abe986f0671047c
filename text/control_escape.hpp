// Control characters written as visible escapes, so that a text a client sent or the
// database holds can neither start a line of the activity log nor reach the operator's
// terminal raw.
#pragma once

#include <string>
#include <string_view>

namespace vantor::text {

// Whether the character starting at pos is a control character: U+0000 to U+001F,
// U+007F, or U+0080 to U+009F (in UTF-8, 0xC2 followed by 0x80 to 0x9F). Returns its
// length in bytes, 0 when it is none.
std::size_t control_length(std::string_view text, std::size_t pos);

// Appends the escape of the control character at pos (of the given length): "\n",
// "\r" and "\t" by name, the rest of U+0000 to U+007F as "\x1b", U+0080 to U+009F as
// "\u0085".
void append_control_escape(std::string_view text, std::size_t pos, std::size_t length, std::string& out);

// The text with every control character escaped; everything else as it is.
std::string escape_controls(std::string_view text);

}  // namespace vantor::text
