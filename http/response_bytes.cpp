// Response status line and headers.
#include "http/response_bytes.hpp"

#include <ctime>

namespace vantor::http {

std::string http_date_now() {
  static constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const std::time_t now = std::time(nullptr);
  std::tm gmt{};
  gmtime_r(&now, &gmt);
  char buffer[40];
  std::snprintf(buffer, sizeof(buffer), "%s, %02d %s %04d %02d:%02d:%02d GMT", kDays[gmt.tm_wday], gmt.tm_mday,
                kMonths[gmt.tm_mon], gmt.tm_year + 1900, gmt.tm_hour, gmt.tm_min, gmt.tm_sec);
  return buffer;
}

std::string response_head(const HttpAnswer& answer, bool keep_alive) {
  std::string head = "HTTP/1.1 ";
  switch (answer.status) {
    case 202: head += "202 Accepted"; break;
    case 400: head += "400 Bad Request"; break;
    case 401: head += "401 Unauthorized"; break;
    case 404: head += "404 Not Found"; break;
    case 405: head += "405 Method Not Allowed"; break;
    case 409: head += "409 Conflict"; break;
    case 503: head += "503 Service Unavailable"; break;
    default: head += "200 OK";
  }
  head += "\r\nConnection: ";
  head += keep_alive && !answer.stream ? "keep-alive" : "close";
  head += "\r\n";
  if (!answer.content_type.empty()) {
    head += "Content-Type: ";
    head += answer.content_type;
    head += "\r\n";
  }
  if (!answer.stream) {
    head += "Content-Length: ";
    head += std::to_string(answer.body.size());
    head += "\r\n";
  }
  head += "Date: ";
  head += http_date_now();
  head += "\r\n";
  for (const auto& [name, value] : answer.headers) {
    head += name;
    head += ": ";
    head += value;
    head += "\r\n";
  }
  head += "\r\n";
  return head;
}

}  // namespace vantor::http
