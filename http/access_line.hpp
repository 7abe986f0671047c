// One line per request for an access log: when, who, what, the status, the route, what
// the client got, how many bytes and how long. As text (fields apart by blanks) or as a
// JSON object per line, for log shippers.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>

namespace vantor::http {

struct AccessFacts {
  std::chrono::system_clock::time_point time;
  std::string_view client;
  std::string_view method;
  std::string_view path;
  int status = 200;
  std::string_view route;
  std::string_view outcome;
  std::size_t bytes = 0;
  double milliseconds = 0;
};

// "2026-12-11T10:42:01.123Z 127.0.0.1 GET /price 200 price data 1234 1.2"; the method and
// the path with their control characters escaped.
std::string access_text(const AccessFacts& facts);
// {"time":"...","client":"...","method":"GET","path":"/price","status":200,"route":"price",
//  "outcome":"data","bytes":1234,"ms":1.2}
std::string access_json(const AccessFacts& facts);

}  // namespace vantor::http
