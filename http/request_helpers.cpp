// Parameter reads and date rebuilds.
#include "http/request_helpers.hpp"

#include "db/ascii.hpp"
#include "encode/dates.hpp"
#include "encode/numbers.hpp"
#include "encode/utf8.hpp"

namespace vantor::http {
namespace {

// The characters from position first (counted from 1) on, count of them.
std::string characters(std::string_view text, std::size_t first, std::size_t count) {
  return std::string(encode::take_code_points(encode::drop_code_points(text, first - 1), count));
}

void require_ten_characters(std::string_view text) {
  if (encode::code_point_count(text) < 10) {
    throw RequestError("'" + std::string(text) + "' is not a valid date");
  }
}

}  // namespace

std::string ParamList::PositionalParam(std::size_t index, std::size_t k) const {
  if (index >= entries_.size()) return {};
  return std::string(encode::drop_code_points(entries_[index], k));
}

std::string ParamList::NamedParam(std::string_view name) const {
  for (const auto& entry : entries_) {
    const std::size_t equals = entry.find('=');
    if (equals != std::string::npos && db::iequals(std::string_view(entry).substr(0, equals), name)) {
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

db::TimestampValue HostDate(std::string_view text) {
  const auto day = encode::parse_day_first_date(text);
  if (!day) throw RequestError("'" + std::string(text) + "' is not a valid date");
  return db::TimestampValue{*day, 0};
}

double number_of(std::string_view text) {
  const auto value = encode::parse_number(text);
  if (!value) throw RequestError("'" + std::string(text) + "' is not a valid floating point value");
  return *value;
}

std::int32_t whole_number_of(std::string_view text) {
  const auto value = encode::parse_whole_number(text);
  if (!value) throw RequestError("'" + std::string(text) + "' is not a valid integer value");
  return *value;
}

}  // namespace vantor::http
