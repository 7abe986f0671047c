// The statements that create the server-side objects: the inventory table and its
// triggers, the catalogue procedures and the price view, the posting and hotel procedures.
#pragma once

#include <string_view>
#include <vector>

#include "db/query_def.hpp"

namespace vantor::schema {

const std::vector<db::QueryDef>& schema_statements();
// Throws std::logic_error for a name that is not there.
const db::QueryDef& schema_statement(std::string_view name);

}  // namespace vantor::schema
