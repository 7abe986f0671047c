// Values bound to the named parameters of a statement.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "text/calendar.hpp"

namespace vantor::db {

struct NullValue {};

// Text is UTF-8; it crosses to the database as ISO-8859-1.
using ParamValue = std::variant<NullValue, std::string, double, std::int32_t, text::DateTime>;

// Name (compared without regard to case) and value, in the order they were set.
class Params {
 public:
  Params() = default;
  Params(std::initializer_list<std::pair<std::string, ParamValue>> values);
  Params& set(std::string name, ParamValue value);
  // The value set last under name, or nullptr.
  const ParamValue* find(std::string_view name) const;

 private:
  std::vector<std::pair<std::string, ParamValue>> values_;
};

}  // namespace vantor::db
