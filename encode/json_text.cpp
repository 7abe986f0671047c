// JSON strings by the answers' own rules.
#include "encode/json_text.hpp"

namespace vantor::encode {

void append_json_string(std::string_view text, std::string& out) {
  out.push_back('"');
  for (char c : text) {
    if (c == '"') out.push_back('\\');
    out.push_back(c);
  }
  out.push_back('"');
}

void append_text_value(std::string_view text, std::string& out) {
  bool blank = true;
  for (char c : text) {
    if (static_cast<unsigned char>(c) > 32) {
      blank = false;
      break;
    }
  }
  out.push_back('"');
  if (blank) {
    out.push_back(' ');
  } else {
    for (char c : text) out.push_back(c == '"' ? ' ' : c);
  }
  out.push_back('"');
}

}  // namespace vantor::encode
