// Walking X-Forwarded-For from the right.
#include "http/client_address.hpp"

#include "text/ascii.hpp"

namespace vantor::http {
namespace {

// The entries of every field, left to right.
std::vector<std::string_view> entries_of(const std::vector<std::string_view>& fields) {
  std::vector<std::string_view> entries;
  for (std::string_view field : fields) {
    for (;;) {
      const auto comma = field.find(',');
      const std::string_view entry = text::trim_blanks(field.substr(0, comma));
      if (!entry.empty()) entries.push_back(entry);
      if (comma == std::string_view::npos) break;
      field.remove_prefix(comma + 1);
    }
  }
  return entries;
}

}  // namespace

std::string client_address(const std::string& peer, const std::vector<std::string_view>& forwarded_for,
                           const NetworkList& trusted_proxies) {
  if (trusted_proxies.empty() || !trusted_proxies.contains(peer)) return peer;
  const auto entries = entries_of(forwarded_for);
  if (entries.empty()) return peer;
  for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
    if (!trusted_proxies.contains(*entry)) return std::string(*entry);
  }
  return std::string(entries.front());
}

}  // namespace vantor::http
