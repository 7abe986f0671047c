// Who a request comes from when it passes a reverse proxy. A proxy appends the address
// it got the request from to X-Forwarded-For, so the rightmost entries are written by
// the proxies and everything to their left by whoever sent the request, who may forge
// it: the client is the rightmost entry that is not itself a trusted proxy.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "http/network_list.hpp"

namespace vantor::http {

// peer: the address of the connection. forwarded_for: the values of the request's
// X-Forwarded-For fields, in the order they arrived. The header counts only when peer
// is a trusted proxy; when every entry is one, the leftmost is the client.
std::string client_address(const std::string& peer, const std::vector<std::string_view>& forwarded_for,
                           const NetworkList& trusted_proxies);

}  // namespace vantor::http
