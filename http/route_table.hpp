// The route table: every fact of a route in one entry. Paths are compared for equality
// with the lower-cased request path, in order; the first equal one wins.
#pragma once

#include <string_view>
#include <vector>

#include "http/request_context.hpp"

namespace vantor::http {

struct Route {
  std::string_view path;
  Endpoint endpoint = nullptr;
  // The answer is echoed into the activity log; the big lists are not, they would flood it.
  bool echoed = true;
  // The route writes, or can wait on a row lock that another transaction holds.
  bool may_wait_on_lock = false;
  // What the route is counted under.
  std::string_view label;
  // The route runs the caller's own statement: the ad-hoc setting closes it, makes it
  // read-only or gives it a login of its own.
  bool client_statement = false;
};

const std::vector<Route>& route_table();
// The route of a lower-cased path; a path without a route gets the fixed facts of
// no route: no endpoint, its fallback answer echoed, counted under "other".
const Route& find_route(std::string_view lower_path);

}  // namespace vantor::http
