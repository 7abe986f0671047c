// The status line and headers of every answer: Connection, Content-Type (when the
// answer has one), Content-Length in bytes and Date, in this order; no Server header.
// The admin listener's pages add headers of their own after these; a streamed answer has
// no length and closes its connection.
#pragma once

#include <string>

#include "http/http_request.hpp"

namespace vantor::http {

std::string response_head(const HttpAnswer& answer, bool keep_alive);
// The current time in the HTTP date format, in GMT.
std::string http_date_now();

}  // namespace vantor::http
