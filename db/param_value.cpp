// Named parameter values.
#include "db/param_value.hpp"

#include "text/ascii.hpp"

namespace vantor::db {

Params::Params(std::initializer_list<std::pair<std::string, ParamValue>> values) : values_(values) {}

Params& Params::set(std::string name, ParamValue value) {
  for (auto& [existing, held] : values_) {
    if (text::iequals(existing, name)) {
      held = std::move(value);
      return *this;
    }
  }
  values_.emplace_back(std::move(name), std::move(value));
  return *this;
}

const ParamValue* Params::find(std::string_view name) const {
  for (const auto& [existing, held] : values_) {
    if (text::iequals(existing, name)) return &held;
  }
  return nullptr;
}

}  // namespace vantor::db
