// Named parameters (":name") of a statement text, turned into the "?" markers the
// client library takes. Quoted strings and comments are left alone.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vantor::db {

struct PositionalText {
  std::string text;                // the statement with every ":name" replaced by "?"
  std::vector<std::string> names;  // the name behind each "?", in order
};

PositionalText to_positional(std::string_view text);

}  // namespace vantor::db
