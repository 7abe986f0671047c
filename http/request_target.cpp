// Absolute-form targets.
#include "http/request_target.hpp"

#include "text/ascii.hpp"

namespace vantor::http {

std::string origin_form(std::string_view target) {
  const std::size_t scheme_end = target.find("://");
  if (scheme_end == std::string_view::npos || target.empty() || target.front() == '/') return std::string(target);
  const std::string scheme = text::ascii_lowercase(target.substr(0, scheme_end));
  if (scheme != "http" && scheme != "https") return std::string(target);
  const std::string_view rest = target.substr(scheme_end + 3);
  const std::size_t path = rest.find_first_of("/?");
  if (path == std::string_view::npos) return "/";
  if (rest[path] == '?') return "/" + std::string(rest.substr(path));
  return std::string(rest.substr(path));
}

}  // namespace vantor::http
