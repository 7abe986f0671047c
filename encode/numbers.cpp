// Decimal rounding on the digits of the exact conversion, and number parsing.
#include "encode/numbers.hpp"

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace vantor::encode {
namespace {

// The value rounded at its second decimal, as integer digits and two decimals.
struct Rounded {
  bool negative = false;
  std::string integer;   // at least one digit
  char decimals[2] = {'0', '0'};
  bool zero() const { return integer == "0" && decimals[0] == '0' && decimals[1] == '0'; }
};

Rounded round_two_decimals(double value) {
  Rounded result;
  result.negative = std::signbit(value);
  // 18 significant digits: d.ddddddddddddddddde+XX
  char buffer[64];
  const auto end = std::to_chars(buffer, buffer + sizeof(buffer), std::fabs(value), std::chars_format::scientific, 17).ptr;
  const char* e = static_cast<const char*>(std::memchr(buffer, 'e', static_cast<std::size_t>(end - buffer)));
  std::string digits;
  for (const char* p = buffer; p < e; ++p) {
    if (*p != '.') digits.push_back(*p);
  }
  int exponent = 0;
  std::from_chars(e + 1 + (e[1] == '+' ? 1 : 0), end, exponent);
  // digits[0] stands at 10^exponent; the value in hundredths keeps exponent + 3 digits
  const int keep = exponent + 3;
  std::string kept = "0";
  if (keep > 0) {
    kept = digits.substr(0, static_cast<std::size_t>(std::min(keep, 18)));
    if (keep > 18) kept.append(static_cast<std::size_t>(keep - 18), '0');
  }
  if (keep >= 0 && keep < 18 && digits[static_cast<std::size_t>(keep)] >= '5') {
    int i = static_cast<int>(kept.size()) - 1;
    while (i >= 0 && kept[static_cast<std::size_t>(i)] == '9') kept[static_cast<std::size_t>(i--)] = '0';
    if (i >= 0) {
      ++kept[static_cast<std::size_t>(i)];
    } else {
      kept.insert(kept.begin(), '1');
    }
  }
  if (kept.size() < 3) kept.insert(0, 3 - kept.size(), '0');
  result.integer = kept.substr(0, kept.size() - 2);
  result.decimals[0] = kept[kept.size() - 2];
  result.decimals[1] = kept[kept.size() - 1];
  const auto first = result.integer.find_first_not_of('0');
  result.integer = first == std::string::npos ? "0" : result.integer.substr(first);
  if (result.zero()) result.negative = false;
  return result;
}

bool not_finite(double value, std::string& out) {
  if (std::isnan(value)) {
    out += "NAN";
    return true;
  }
  if (std::isinf(value)) {
    out += value < 0 ? "-INF" : "INF";
    return true;
  }
  return false;
}

bool is_blank(char c) { return static_cast<unsigned char>(c) <= 32; }

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

void append_two_decimals(double value, std::string& out) {
  if (not_finite(value, out)) return;
  const Rounded rounded = round_two_decimals(value);
  if (rounded.negative) out.push_back('-');
  out += rounded.integer;
  out.push_back('.');
  out.append(rounded.decimals, 2);
}

std::string two_decimals(double value) {
  std::string out;
  append_two_decimals(value, out);
  return out;
}

std::string grouped_two_decimals(double value) {
  std::string out;
  if (not_finite(value, out)) return out;
  const Rounded rounded = round_two_decimals(value);
  if (rounded.negative) out.push_back('-');
  const std::size_t length = rounded.integer.size();
  for (std::size_t i = 0; i < length; ++i) {
    if (i > 0 && (length - i) % 3 == 0) out.push_back(',');
    out.push_back(rounded.integer[i]);
  }
  out.push_back('.');
  out.append(rounded.decimals, 2);
  return out;
}

std::optional<double> parse_number(std::string_view text) {
  while (!text.empty() && is_blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && is_blank(text.back())) text.remove_suffix(1);
  std::size_t pos = 0;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) ++pos;
  std::size_t digits = 0;
  bool point = false;
  for (; pos < text.size(); ++pos) {
    const char c = text[pos];
    if (c >= '0' && c <= '9') {
      ++digits;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (digits == 0) return std::nullopt;
  if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
    ++pos;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) ++pos;
    const std::size_t start = pos;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') ++pos;
    if (pos == start) return std::nullopt;
  }
  if (pos != text.size()) return std::nullopt;
  // from_chars takes neither a leading "+" nor a bare trailing "."
  std::string plain(text[0] == '+' ? text.substr(1) : text);
  double value = 0;
  const auto result = std::from_chars(plain.data(), plain.data() + plain.size(), value);
  if (result.ec == std::errc::result_out_of_range) {
    return plain.find_first_of("123456789") == std::string::npos || plain.find('e') != std::string::npos ||
                   plain.find('E') != std::string::npos
               ? std::optional<double>(0.0)
               : std::nullopt;
  }
  if (result.ec != std::errc()) return std::nullopt;
  return value;
}

std::optional<std::int64_t> parse_integer(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  int base = 10;
  if (!text.empty() && (text.front() == '$' || text.front() == 'x' || text.front() == 'X')) {
    base = 16;
    text.remove_prefix(1);
  } else if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty()) return std::nullopt;
  constexpr std::int64_t kLimit = std::int64_t{1} << 40;  // far beyond anything that must fit
  std::int64_t value = 0;
  for (char c : text) {
    const int digit = base == 16 ? hex_digit(c) : (c >= '0' && c <= '9' ? c - '0' : -1);
    if (digit < 0) return std::nullopt;
    value = value * base + digit;
    if (value > kLimit) return std::nullopt;
  }
  return negative ? -value : value;
}

std::optional<std::int32_t> parse_whole_number(std::string_view text) {
  const auto value = parse_integer(text);
  if (!value || *value < std::numeric_limits<std::int32_t>::min() || *value > std::numeric_limits<std::int32_t>::max()) {
    return std::nullopt;
  }
  return static_cast<std::int32_t>(*value);
}

}  // namespace vantor::encode
