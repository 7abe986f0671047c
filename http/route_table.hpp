// The route table: every fact of a route in one entry, the facts the server acts on
// (endpoint, class, echo, label) and those a client developer needs (purpose, parameters
// in order, whether it writes, what it answers). Paths are compared for equality with the
// lower-cased request path, in order; the first equal one wins.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "db/query_def.hpp"
#include "http/http_request.hpp"
#include "http/landing_checks.hpp"
#include "http/request_context.hpp"

namespace vantor::http {

// How a parameter's text is read.
enum class ParamFormat {
  Text,           // as sent
  WholeNumber,    // digits, optionally signed
  Number,         // a decimal number with "." as separator
  DayMonthYear,   // dd/mm/yyyy
  DayFirstDate,   // dd?mm?yyyy: the 3rd and 6th characters are dropped whatever they are
  YearFirstDate,  // yyyy?mm?dd, more characters ignored (a date-time works)
  Statement,      // an SQL statement; "select " is put before one that does not start
                  // with a letter the route lets through
};

// Positional parameters are read by their place in the query string: the name's length
// and the "=" are dropped, whatever the name says. Named ones are looked up by name
// without regard to case.
enum class ParamReading { None, Positional, Named };

struct RouteParam {
  std::string_view name;  // the name clients send
  ParamFormat format = ParamFormat::Text;
  // What a missing or empty one reads as: a default, "empty", or "an error answer".
  std::string_view when_missing = "empty";
};

enum class Writes { No, Yes, AsTheStatementDoes };

// Where to look whether a write of the route landed, from its parameters; nullptr where
// its tables give no key to look for.
using LandingCheck = Landing (*)(const ParamList& params, std::string_view client);

// What a route answers when it succeeds.
enum class AnswerForm { StoredNames, LowerKeys, Page, Confirmation, Fallback };

struct Route {
  std::string_view path;
  Endpoint endpoint = nullptr;
  RouteClass route_class = RouteClass::Lookup;
  // The answer is echoed into the activity log; the big lists are not, they would flood it.
  bool echoed = true;
  // What the route is counted under.
  std::string_view label;
  std::string_view purpose;
  AnswerForm answer = AnswerForm::LowerKeys;
  // The named query whose rows the answer is made of (its columns are the answer's keys);
  // none for a confirmation, the fallback and the caller's own statement.
  std::optional<db::Query> rows = std::nullopt;
  Writes writes = Writes::No;
  ParamReading reading = ParamReading::None;
  std::vector<RouteParam> params = {};
  LandingCheck landing = nullptr;

  // The route writes, or can wait on a row lock that another transaction holds.
  bool may_wait_on_lock() const {
    return route_class == RouteClass::LockWait || route_class == RouteClass::CallerStatement;
  }
  // The route runs the caller's own statement: the ad-hoc setting closes it, makes it
  // read-only or gives it a login of its own.
  bool client_statement() const { return route_class == RouteClass::CallerStatement; }
};

const std::vector<Route>& route_table();
// The route of a lower-cased path; a path without a route gets the fixed facts of
// no route: no endpoint, its fallback answer echoed, counted under "other".
const Route& find_route(std::string_view lower_path);

}  // namespace vantor::http
