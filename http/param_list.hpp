// The parameter list of a request: the query string (after a form body when the request
// posts a form) cut at every "&", each entry with "+" as blank and percent escapes
// decoded in the request's character set.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vantor::http {

// target: the request target as sent; content_type: the Content-Type header value (empty
// when absent); body: the request body (used only for a form post).
std::vector<std::string> build_param_list(std::string_view target, std::string_view content_type,
                                          std::string_view body);

// One entry: "+" becomes a blank, "%XX" one byte, "%uXXXX" one UTF-16 code unit; the
// bytes are read in charset. A "%" that starts no escape stays as it is.
std::string decode_entry(std::string_view entry, std::string_view charset);

// The request target up to, not including, the first "?".
std::string_view path_of(std::string_view target);

}  // namespace vantor::http
