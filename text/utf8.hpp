// UTF-8 reading and writing by code point; broken sequences read as U+FFFD.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vantor::text {

constexpr char32_t kReplacementCharacter = 0xFFFD;

// Decodes one code point at pos and advances pos; a broken sequence gives U+FFFD and
// advances by the bytes that belong to it (at least one).
char32_t next_code_point(std::string_view text, std::size_t& pos);

template <typename Visit>
void for_each_code_point(std::string_view text, Visit&& visit) {
  std::size_t pos = 0;
  while (pos < text.size()) visit(next_code_point(text, pos));
}

void append_utf8(char32_t code_point, std::string& out);

std::size_t code_point_count(std::string_view text);

// The text from the code point at index first (counted from 0) to the end; empty when
// the text has no more code points than that.
std::string_view drop_code_points(std::string_view text, std::size_t first);

// The first count code points of text.
std::string_view take_code_points(std::string_view text, std::size_t count);

}  // namespace vantor::text
