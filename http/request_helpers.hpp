// How endpoints read their parameters: by position with a fixed number of leading
// characters dropped, by name, and the date rebuilds.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "db/param_value.hpp"

namespace vantor::http {

// A parameter that cannot be converted; the request then ends with the error answer.
class RequestError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class ParamList {
 public:
  explicit ParamList(std::vector<std::string> entries) : entries_(std::move(entries)) {}

  // The entry at index (from 0) without its first k characters, whatever they are.
  // Empty when the entry has k characters or fewer, and for an index past the end.
  std::string PositionalParam(std::size_t index, std::size_t k) const;
  // The text after "=" of the first entry whose name (the text before its first "=")
  // equals name without regard to case; empty when none does.
  std::string NamedParam(std::string_view name) const;

  std::size_t size() const noexcept { return entries_.size(); }
  const std::vector<std::string>& entries() const noexcept { return entries_; }

 private:
  std::vector<std::string> entries_;
};

// "dd-mm-yyyy" (any separators) to "dd/mm/yyyy"; throws RequestError below ten characters.
std::string DayFirstDateText(std::string_view text);
// "yyyy-mm-dd..." to "dd/mm/yyyy"; throws RequestError below ten characters.
std::string YearFirstDateText(std::string_view text);
// A day/month/year text with "/" (day and month of one or two digits, four-digit year)
// as a date at midnight; throws RequestError otherwise.
text::DateTime HostDate(std::string_view text);

// The number and whole-number conversions of the write endpoints; throw RequestError.
double number_of(std::string_view text);
std::int32_t whole_number_of(std::string_view text);

}  // namespace vantor::http
