// Number, whole-number and date readings, the date rebuilds, the two-decimal format and
// the log's control escapes: no crash, the fast rounding agrees with the exact one on
// every double, and an escaped text holds no control character.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "http/request_helpers.hpp"
#include "text/control_escape.hpp"
#include "text/dates.hpp"
#include "text/numbers.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  using namespace vantor;
  if (const auto number = text::parse_number(text)) {
    if (text::two_decimals(*number) != text::two_decimals_exact(*number)) __builtin_trap();
    text::grouped_two_decimals(*number);
  }
  // a number too large for a double is never read as one
  if (text::too_large_for_a_number(text) && text::parse_number(text)) __builtin_trap();
  text::parse_whole_number(text);
  text::parse_day_first_date(text);
  text::parse_date_time(text);
  try {
    http::HostDate(http::DayFirstDateText(text));
  } catch (const http::RequestError&) {
  }
  try {
    http::HostDate(http::YearFirstDateText(text));
  } catch (const http::RequestError&) {
  }
  const std::string escaped = text::escape_controls(text);
  for (std::size_t pos = 0; pos < escaped.size(); ++pos) {
    if (text::control_length(escaped, pos) != 0) __builtin_trap();
  }
  if (size >= sizeof(double)) {
    double value;
    std::memcpy(&value, data, sizeof(double));
    if (text::two_decimals(value) != text::two_decimals_exact(value)) __builtin_trap();
  }
  return 0;
}
