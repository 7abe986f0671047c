// Parameter reads and date rebuilds.
#include "http/request_helpers.hpp"

#include "text/ascii.hpp"
#include "text/dates.hpp"
#include "text/numbers.hpp"
#include "text/utf8.hpp"

namespace vantor::http {
namespace {

// The characters from position first (counted from 1) on, count of them.
std::string characters(std::string_view text, std::size_t first, std::size_t count) {
  return std::string(text::take_code_points(text::drop_code_points(text, first - 1), count));
}

void require_ten_characters(std::string_view text) {
  if (text::code_point_count(text) < 10) {
    throw RequestError("'" + std::string(text) + "' is not a valid date");
  }
}

}  // namespace

std::string ParamList::PositionalParam(std::size_t index, std::size_t k) const {
  if (index >= entries_.size()) return {};
  return std::string(text::drop_code_points(entries_[index], k));
}

std::string ParamList::NamedParam(std::string_view name) const {
  for (const auto& entry : entries_) {
    const std::size_t equals = entry.find('=');
    if (equals != std::string::npos && text::iequals(std::string_view(entry).substr(0, equals), name)) {
      return entry.substr(equals + 1);
    }
  }
  return {};
}

std::string DayFirstDateText(std::string_view text) {
  require_ten_characters(text);
  return characters(text, 1, 2) + "/" + characters(text, 4, 2) + "/" + characters(text, 7, 4);
}

std::string YearFirstDateText(std::string_view text) {
  require_ten_characters(text);
  return characters(text, 9, 2) + "/" + characters(text, 6, 2) + "/" + characters(text, 1, 4);
}

text::DateTime HostDate(std::string_view text) {
  const auto day = text::parse_day_first_date(text);
  if (!day) throw RequestError("'" + std::string(text) + "' is not a valid date");
  return text::DateTime{*day, 0};
}

double number_of(std::string_view text) {
  const auto value = text::parse_number(text);
  if (!value) throw RequestError("'" + std::string(text) + "' is not a valid floating point value");
  return *value;
}

std::int32_t whole_number_of(std::string_view text) {
  const auto value = text::parse_whole_number(text);
  if (!value) throw RequestError("'" + std::string(text) + "' is not a valid integer value");
  return *value;
}

}  // namespace vantor::http
