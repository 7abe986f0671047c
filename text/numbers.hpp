// Number texts as the clients see them: the two-decimal format of every JSON number, the
// grouped format of the HTML page, and the readings of numbers and whole numbers that
// clients send. The decimal separator is always ".", the thousands separator ",".
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vantor::text {

// Format "0.00": the value taken to 18 significant digits, then rounded at the second
// decimal with halves away from zero; no minus sign on a value that rounds to zero.
void append_two_decimals(double value, std::string& out);
std::string two_decimals(double value);

// The same by the exact digits alone, without the fast path for ordinary values (for
// checking that both agree).
std::string two_decimals_exact(double value);

// Format "#,0.00;-#,0.00": as above with the integer digits grouped by threes.
std::string grouped_two_decimals(double value);

// Blanks (code 32 or below) around the text are ignored; then an optional sign, digits
// with at most one ".", and an optional exponent. Anything else, the empty text
// included, is no number; so is a number too large for a double ("1e400"), which no
// column can hold. One too small for a double ("1e-400") reads as 0.
std::optional<double> parse_number(std::string_view text);

// Whether text is written as a number but is too large for a double: parse_number
// refuses it as it refuses a text that is no number, where the difference matters.
bool too_large_for_a_number(std::string_view text);

// Blanks before the text are ignored; then an optional sign and decimal digits, or
// hexadecimal digits behind "$", "x", "X", "0x" or "0X". Nothing may follow, and the
// value must fit a 32-bit signed integer.
std::optional<std::int32_t> parse_whole_number(std::string_view text);

// As parse_whole_number, without the 32-bit limit (the port file is reduced afterwards).
std::optional<std::int64_t> parse_integer(std::string_view text);

}  // namespace vantor::text
