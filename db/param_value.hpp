// Values bound to the named parameters of a statement.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace vantor::db {

struct NullValue {};
struct TimestampValue {
  std::int32_t day = 0;      // days since 30 December 1899
  std::uint32_t ticks = 0;   // time of day in 1/10000 s
};

// Text is UTF-8; it crosses to the database as ISO-8859-1.
using ParamValue = std::variant<NullValue, std::string, double, std::int32_t, TimestampValue>;

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
