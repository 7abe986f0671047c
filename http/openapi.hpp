// The API description (OpenAPI 3.1) made from the route table and the catalogue, so that
// it says what the code does: every route, its parameters in their order and how they are
// read, whether it writes, and its answers (the JSON rows with the keys and value forms the
// encoders give the query's columns; the fallback, error and empty answers with their
// exact bytes).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "db/cell.hpp"
#include "db/query_def.hpp"

namespace vantor::http {

// The columns of a named query's rows (see db::answer_columns).
using ColumnsOf = std::function<std::vector<db::ColumnInfo>(db::Query)>;

// The document as indented JSON; version goes into its info.
std::string openapi_document(const ColumnsOf& columns_of, const std::string& version);

struct Route;
struct RouteParam;
// What the document says of a route, and of one of its parameters (its position from 1),
// for the reference written from the same facts.
std::string route_description(const Route& route);
std::string parameter_description(const Route& route, const RouteParam& param, int position);

}  // namespace vantor::http
