// Text form, numeric value, date value and float value of a cell.
#include "encode/value_forms.hpp"

#include <charconv>
#include <cmath>

#include "text/dates.hpp"
#include "text/numbers.hpp"

namespace vantor::encode {
namespace {

using db::ColumnClass;

double scaled(const db::Cell& cell) { return static_cast<double>(cell.whole) / std::pow(10.0, cell.scale); }

std::string general_text(double value, int precision) {
  char buffer[64];
  const auto end = std::to_chars(buffer, buffer + sizeof(buffer), value, std::chars_format::general, precision).ptr;
  return std::string(buffer, end);
}

std::string scaled_text(const db::Cell& cell) {
  std::string digits = std::to_string(cell.whole < 0 ? -cell.whole : cell.whole);
  if (cell.scale > 0) {
    if (digits.size() <= static_cast<std::size_t>(cell.scale)) {
      digits.insert(0, static_cast<std::size_t>(cell.scale) + 1 - digits.size(), '0');
    }
    digits.insert(digits.size() - static_cast<std::size_t>(cell.scale), 1, '.');
    while (digits.back() == '0') digits.pop_back();
    if (digits.back() == '.') digits.pop_back();
  }
  return (cell.whole < 0 ? "-" : "") + digits;
}

double number_of_text(const db::Cell& cell) {
  const auto value = text::parse_number(cell.text);
  if (!value) throw ValueError("'" + std::string(cell.text) + "' is not a valid floating point value");
  return *value;
}

}  // namespace

std::string text_form(const db::Cell& cell) {
  if (cell.null) return {};
  switch (cell.cls) {
    case ColumnClass::Text:
    case ColumnClass::FixedText: return std::string(cell.text);
    case ColumnClass::Int16:
    case ColumnClass::Int32:
    case ColumnClass::Int64: return std::to_string(cell.whole);
    case ColumnClass::Currency:
    case ColumnClass::Decimal: return scaled_text(cell);
    case ColumnClass::Double: return general_text(cell.real, 15);
    case ColumnClass::Float: return general_text(cell.real, 7);
    case ColumnClass::DateTime: return text::date_time_text(cell.date_time);
    case ColumnClass::Boolean: return cell.whole != 0 ? "True" : "False";
    case ColumnClass::LongText:
    case ColumnClass::Binary: break;
  }
  return {};
}

bool has_empty_text_form(const db::Cell& cell) {
  if (cell.null) return true;
  return (cell.cls == ColumnClass::Text || cell.cls == ColumnClass::FixedText) && cell.text.empty();
}

double numeric_value(const db::Cell& cell) {
  switch (cell.cls) {
    case ColumnClass::Int16:
    case ColumnClass::Int32:
    case ColumnClass::Int64: return static_cast<double>(cell.whole);
    case ColumnClass::Currency:
    case ColumnClass::Decimal: return scaled(cell);
    case ColumnClass::Double:
    case ColumnClass::Float: return cell.real;
    case ColumnClass::DateTime: return text::date_time_number(cell.date_time.day, cell.date_time.ticks);
    case ColumnClass::Boolean: return cell.whole != 0 ? -1 : 0;
    case ColumnClass::Text:
    case ColumnClass::FixedText: return number_of_text(cell);
    case ColumnClass::LongText:
    case ColumnClass::Binary: break;
  }
  throw ValueError("a blob has no numeric value");
}

text::DateTime date_value(const db::Cell& cell) {
  switch (cell.cls) {
    case ColumnClass::DateTime: return cell.null ? text::DateTime{} : cell.date_time;
    case ColumnClass::Text:
    case ColumnClass::FixedText: {
      const auto parsed = cell.null ? std::nullopt : text::parse_date_time(cell.text);
      if (!parsed) throw ValueError("'" + std::string(cell.text) + "' is not a valid date and time");
      return *parsed;
    }
    default: throw ValueError("the value has no date");
  }
}

double float_value(const db::Cell& cell) {
  switch (cell.cls) {
    case ColumnClass::Boolean:
    case ColumnClass::LongText:
    case ColumnClass::Binary: throw ValueError("the value has no float value");
    case ColumnClass::Text:
    case ColumnClass::FixedText: return number_of_text(cell);
    default: return cell.null ? 0 : numeric_value(cell);
  }
}

}  // namespace vantor::encode
