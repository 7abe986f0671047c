// The catalogue of named queries, and the fixed texts the endpoints write into the
// scratch query `brands`.
#pragma once

#include <string_view>
#include <vector>

#include "db/query_def.hpp"

namespace vantor::db {

const std::vector<QueryDef>& catalogue();
// Throws std::logic_error for a name the catalogue lacks.
const QueryDef& named_query(std::string_view name);

enum class ScratchStatement { Company, Category, Subcategory, Stores, Stock, ProductImage };
std::string_view scratch_text(ScratchStatement which);

}  // namespace vantor::db
