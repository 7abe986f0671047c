// The JSON text rules of the answers: strings in double quotes with only the double
// quote escaped (as backslash and quote); backslashes, slashes, control characters and
// non-ASCII characters stay as they are. Response finishing escapes further.
#pragma once

#include <string>
#include <string_view>

namespace vantor::encode {

void append_json_string(std::string_view text, std::string& out);

// A text value: one blank when it holds nothing but characters of code 32 or below,
// otherwise the whole text with every double quote replaced by a blank.
void append_text_value(std::string_view text, std::string& out);

}  // namespace vantor::encode
