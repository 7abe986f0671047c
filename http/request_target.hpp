// The request target as the routes read it.
#pragma once

#include <string>
#include <string_view>

namespace vantor::http {

// An absolute-form target ("http://host:8080/whqty?code=1", which HTTP/1.1 servers must
// take, and proxies send) as its path and query ("/whqty?code=1"); "/" when it names no
// path. Any other target is returned as it is.
std::string origin_form(std::string_view target);

}  // namespace vantor::http
