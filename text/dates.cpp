// Date formatting and parsing with a fixed day/month/year convention.
#include "text/dates.hpp"

#include "text/calendar.hpp"

namespace vantor::text {
namespace {

void append_digits(std::string& out, int value, int width) {
  char buffer[12];
  int length = 0;
  unsigned magnitude = static_cast<unsigned>(value < 0 ? -value : value);
  do {
    buffer[length++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude > 0);
  if (value < 0) out.push_back('-');
  for (int i = length; i < width; ++i) out.push_back('0');
  while (length > 0) out.push_back(buffer[--length]);
}

// Reads 1..max_digits digits at pos.
std::optional<int> read_number(std::string_view text, std::size_t& pos, std::size_t min_digits,
                               std::size_t max_digits) {
  const std::size_t start = pos;
  int value = 0;
  while (pos < text.size() && pos - start < max_digits && text[pos] >= '0' && text[pos] <= '9') {
    value = value * 10 + (text[pos++] - '0');
  }
  if (pos - start < min_digits) return std::nullopt;
  return value;
}

bool expect(std::string_view text, std::size_t& pos, char c) {
  if (pos >= text.size() || text[pos] != c) return false;
  ++pos;
  return true;
}

std::optional<std::int32_t> read_date(std::string_view text, std::size_t& pos) {
  const auto day = read_number(text, pos, 1, 2);
  if (!day || !expect(text, pos, '/')) return std::nullopt;
  const auto month = read_number(text, pos, 1, 2);
  if (!month || !expect(text, pos, '/')) return std::nullopt;
  const auto year = read_number(text, pos, 4, 4);
  if (!year || !is_valid_civil_date(*year, *month, *day)) return std::nullopt;
  return days_from_civil(*year, *month, *day);
}

}  // namespace

std::string date_text(std::int32_t day) {
  const CivilDate date = civil_from_days(day);
  std::string out;
  out.reserve(10);
  append_digits(out, date.year, 4);
  out.push_back('-');
  append_digits(out, date.month, 2);
  out.push_back('-');
  append_digits(out, date.day, 2);
  return out;
}

std::string date_time_text(const DateTime& value) {
  const CivilDate date = civil_from_days(value.day);
  std::string out;
  append_digits(out, date.day, 2);
  out.push_back('/');
  append_digits(out, date.month, 2);
  out.push_back('/');
  append_digits(out, date.year, 4);
  if (value.ticks != 0) {
    const std::uint32_t seconds = value.ticks / kTicksPerSecond;
    out.push_back(' ');
    append_digits(out, static_cast<int>(seconds / 3600), 2);
    out.push_back(':');
    append_digits(out, static_cast<int>(seconds / 60 % 60), 2);
    out.push_back(':');
    append_digits(out, static_cast<int>(seconds % 60), 2);
  }
  return out;
}

std::optional<std::int32_t> parse_day_first_date(std::string_view text) {
  std::size_t pos = 0;
  const auto day = read_date(text, pos);
  if (!day || pos != text.size()) return std::nullopt;
  return day;
}

std::optional<DateTime> parse_date_time(std::string_view text) {
  std::size_t pos = 0;
  const auto day = read_date(text, pos);
  if (!day) return std::nullopt;
  DateTime result{*day, 0};
  if (pos == text.size()) return result;
  if (!expect(text, pos, ' ')) return std::nullopt;
  const auto hour = read_number(text, pos, 1, 2);
  if (!hour || !expect(text, pos, ':')) return std::nullopt;
  const auto minute = read_number(text, pos, 1, 2);
  if (!minute) return std::nullopt;
  int second = 0;
  if (pos < text.size()) {
    if (!expect(text, pos, ':')) return std::nullopt;
    const auto read = read_number(text, pos, 1, 2);
    if (!read) return std::nullopt;
    second = *read;
  }
  if (pos != text.size() || *hour > 23 || *minute > 59 || second > 59) return std::nullopt;
  result.ticks = static_cast<std::uint32_t>(*hour * 3600 + *minute * 60 + second) * kTicksPerSecond;
  return result;
}

}  // namespace vantor::text
