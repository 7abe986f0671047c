// The catalogue of named queries, each named at compile time by its id.
#pragma once

#include <vector>

#include "db/query_def.hpp"

namespace vantor::db {

// Every entry of the catalogue, in the order of their ids.
const std::vector<QueryDef>& catalogue();
const QueryDef& query(Query id);

}  // namespace vantor::db
