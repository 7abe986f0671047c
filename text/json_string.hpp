// A string as RFC 8259 JSON writes it, for the operator console's own documents (the
// answers to clients follow rules of their own).
#pragma once

#include <string>
#include <string_view>

namespace vantor::text {

// Appends text in double quotes: quote and backslash escaped, control characters below
// U+0020 as \n, \r, \t or \u00XX; everything else as it is.
void append_json_quoted(std::string_view text, std::string& out);
std::string json_quoted(std::string_view text);

}  // namespace vantor::text
