// A request as the request front sees it, and the answer it gives.
#pragma once

#include <string>

#include "encode/finish_response.hpp"

namespace vantor::http {

struct HttpRequest {
  std::string method;        // as sent: "GET", "POST", "HEAD", ...
  std::string target;        // the request target as sent
  std::string content_type;  // empty when absent
  std::string body;
  std::string remote_address;
};

using HttpAnswer = encode::FinishedAnswer;

}  // namespace vantor::http
