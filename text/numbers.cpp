// Decimal rounding on the digits of the exact conversion, and number parsing.
#include "text/numbers.hpp"

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#include "text/ascii.hpp"

namespace vantor::text {
namespace {

// The value rounded at its second decimal: its digits in hundredths, without leading
// zeros beyond the three that "0.00" needs. Kept in a fixed buffer: this runs for every
// number of every answer.
struct Rounded {
  bool negative = false;
  char digits[340];  // enough for the largest double in hundredths
  int length = 0;
  std::string_view integer() const { return {digits, static_cast<std::size_t>(length - 2)}; }
  const char* decimals() const { return digits + length - 2; }
};

// The common case: below 10^12 the value times 100 is exact in extended precision, and
// taking the value to 18 significant digits first moves it by less than 10^-4 of a
// hundredth, which matters only when the hundredths end close to one half.
bool round_fast(double value, Rounded& result) {
  const double magnitude = std::fabs(value);
  if (!(magnitude < 1e12)) return false;
  const long double hundredths = static_cast<long double>(magnitude) * 100;
  // truncation is the floor of a value that is not negative, without a call to floorl
  const auto whole = static_cast<std::uint64_t>(hundredths);
  const long double fraction = hundredths - static_cast<long double>(whole);
  if (std::fabs(fraction - 0.5L) < 1e-4L) return false;
  auto n = whole + (fraction > 0.5L ? 1 : 0);
  char buffer[24];
  const int length = static_cast<int>(std::to_chars(buffer, buffer + sizeof(buffer), n).ptr - buffer);
  const int pad = length < 3 ? 3 - length : 0;
  std::memset(result.digits, '0', static_cast<std::size_t>(pad));
  std::memcpy(result.digits + pad, buffer, static_cast<std::size_t>(length));
  result.length = length + pad;
  result.negative = std::signbit(value) && n != 0;
  return true;
}

Rounded round_exact(double value) {
  Rounded result;
  // 18 significant digits: d.ddddddddddddddddde+XX
  char buffer[64];
  const auto end =
      std::to_chars(buffer, buffer + sizeof(buffer), std::fabs(value), std::chars_format::scientific, 17).ptr;
  char significant[18];
  int count = 0;
  const char* p = buffer;
  for (; *p != 'e'; ++p) {
    if (*p != '.') significant[count++] = *p;
  }
  int exponent = 0;
  std::from_chars(p + 1 + (p[1] == '+' ? 1 : 0), end, exponent);
  // significant[0] stands at 10^exponent; the value in hundredths keeps exponent + 3 digits
  const int keep = exponent + 3;
  int length = 0;
  if (keep > 0) {
    for (int i = 0; i < keep; ++i) result.digits[length++] = i < 18 ? significant[i] : '0';
  }
  if (keep >= 0 && keep < 18 && significant[keep] >= '5') {
    int i = length - 1;
    while (i >= 0 && result.digits[i] == '9') result.digits[i--] = '0';
    if (i >= 0) {
      ++result.digits[i];
    } else {
      std::memmove(result.digits + 1, result.digits, static_cast<std::size_t>(length));
      result.digits[0] = '1';
      ++length;
    }
  }
  if (length < 3) {
    const int pad = 3 - length;
    std::memmove(result.digits + pad, result.digits, static_cast<std::size_t>(length));
    std::memset(result.digits, '0', static_cast<std::size_t>(pad));
    length = 3;
  }
  result.length = length;
  bool zero = true;
  for (int i = 0; i < length; ++i) zero = zero && result.digits[i] == '0';
  result.negative = std::signbit(value) && !zero;
  return result;
}

Rounded round_two_decimals(double value) {
  Rounded result;
  return round_fast(value, result) ? result : round_exact(value);
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

void append_rounded(const Rounded& rounded, std::string& out) {
  if (rounded.negative) out.push_back('-');
  out += rounded.integer();
  out.push_back('.');
  out.append(rounded.decimals(), 2);
}

}  // namespace

void append_two_decimals(double value, std::string& out) {
  if (not_finite(value, out)) return;
  Rounded rounded;  // filled in place on the common path: no copy of its buffer
  if (!round_fast(value, rounded)) rounded = round_exact(value);
  append_rounded(rounded, out);
}

std::string two_decimals(double value) {
  std::string out;
  append_two_decimals(value, out);
  return out;
}

std::string two_decimals_exact(double value) {
  std::string out;
  if (!not_finite(value, out)) append_rounded(round_exact(value), out);
  return out;
}

std::string grouped_two_decimals(double value) {
  std::string out;
  if (not_finite(value, out)) return out;
  const Rounded rounded = round_two_decimals(value);
  if (rounded.negative) out.push_back('-');
  const std::string_view integer = rounded.integer();
  for (std::size_t i = 0; i < integer.size(); ++i) {
    if (i > 0 && (integer.size() - i) % 3 == 0) out.push_back(',');
    out.push_back(integer[i]);
  }
  out.push_back('.');
  out.append(rounded.decimals(), 2);
  return out;
}

namespace {

// Of a number out of a double's range: whether its first significant digit stands at a
// power of ten above zero (too large), or below (too small).
bool above_one(std::string_view plain) {
  const std::size_t e = plain.find_first_of("eE");
  const std::string_view mantissa = plain.substr(0, e);
  long exponent = 0;
  if (e != std::string_view::npos) {
    std::string_view digits = plain.substr(e + 1);
    if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
    // an exponent too long to read is as large as one gets
    if (std::from_chars(digits.data(), digits.data() + digits.size(), exponent).ec != std::errc()) {
      exponent = digits.front() == '-' ? -1000000 : 1000000;
    }
  }
  const std::size_t first = mantissa.find_first_of("123456789");
  if (first == std::string_view::npos) return false;  // zero, whatever its exponent
  const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
  const long power = first < point ? static_cast<long>(point - first) - 1 : -static_cast<long>(first - point);
  return power + exponent > 0;
}

enum class Reading { Number, NoNumber, TooLarge };

Reading read_number(std::string_view text, double& value) {
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
  if (digits == 0) return Reading::NoNumber;
  if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
    ++pos;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) ++pos;
    const std::size_t start = pos;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') ++pos;
    if (pos == start) return Reading::NoNumber;
  }
  if (pos != text.size()) return Reading::NoNumber;
  // from_chars takes neither a leading "+" nor a bare trailing "."
  std::string plain(text[0] == '+' ? text.substr(1) : text);
  value = 0;
  const auto result = std::from_chars(plain.data(), plain.data() + plain.size(), value);
  if (result.ec == std::errc::result_out_of_range) {
    value = 0;
    return above_one(plain) ? Reading::TooLarge : Reading::Number;
  }
  if (result.ec != std::errc()) return Reading::NoNumber;
  return Reading::Number;
}

}  // namespace

std::optional<double> parse_number(std::string_view text) {
  double value = 0;
  return read_number(text, value) == Reading::Number ? std::optional<double>(value) : std::nullopt;
}

bool too_large_for_a_number(std::string_view text) {
  double value = 0;
  return read_number(text, value) == Reading::TooLarge;
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
  if (!value || *value < std::numeric_limits<std::int32_t>::min() ||
      *value > std::numeric_limits<std::int32_t>::max()) {
    return std::nullopt;
  }
  return static_cast<std::int32_t>(*value);
}

}  // namespace vantor::text
