// The route table: paths compared for equality with the lower-cased request path, in
// order; the first equal one wins.
#pragma once

#include <string_view>
#include <vector>

#include "http/request_context.hpp"

namespace vantor::http {

struct Route {
  std::string_view path;
  Endpoint endpoint;
};

const std::vector<Route>& route_table();
// The endpoint of a path (compared after lower-casing its ASCII letters), or nullptr.
Endpoint find_route(std::string_view path);

}  // namespace vantor::http
