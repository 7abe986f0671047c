// Parsing and matching networks with Asio's address parser.
#include "http/network_list.hpp"

#include <boost/asio/ip/address.hpp>
#include <charconv>
#include <optional>
#include <stdexcept>

#include "text/ascii.hpp"

namespace vantor::http {
namespace {

struct Host {
  bool v4 = true;
  std::array<std::uint8_t, 16> bytes{};
};

std::optional<Host> host_of(std::string_view text) {
  boost::system::error_code failed;
  auto address = boost::asio::ip::make_address(std::string(text), failed);
  if (failed) return std::nullopt;
  if (address.is_v6() && address.to_v6().is_v4_mapped()) {
    address = boost::asio::ip::make_address_v4(boost::asio::ip::v4_mapped, address.to_v6());
  }
  Host host;
  host.v4 = address.is_v4();
  if (host.v4) {
    const auto bytes = address.to_v4().to_bytes();
    std::copy(bytes.begin(), bytes.end(), host.bytes.begin());
  } else {
    host.bytes = address.to_v6().to_bytes();
  }
  return host;
}

}  // namespace

NetworkList NetworkList::parse(std::string_view written) {
  NetworkList list;
  while (!text::trim_blanks(written).empty()) {
    const auto comma = written.find(',');
    const std::string_view entry = text::trim_blanks(written.substr(0, comma));
    written = comma == std::string_view::npos ? std::string_view{} : written.substr(comma + 1);
    const auto slash = entry.find('/');
    const auto host = host_of(entry.substr(0, slash));
    const unsigned width = host && host->v4 ? 32 : 128;
    unsigned bits = width;
    if (host && slash != std::string_view::npos) {
      const std::string_view digits = entry.substr(slash + 1);
      const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), bits);
      if (error != std::errc() || end != digits.data() + digits.size() || digits.empty()) bits = width + 1;
    }
    if (!host || bits > width) throw std::invalid_argument("'" + std::string(entry) + "' is no network");
    list.networks_.push_back(Network{host->v4, host->bytes, bits});
  }
  return list;
}

bool NetworkList::matches(const Network& network, const Network& host) {
  if (network.v4 != host.v4) return false;
  const unsigned whole = network.bits / 8;
  for (unsigned i = 0; i < whole; ++i) {
    if (network.bytes[i] != host.bytes[i]) return false;
  }
  const unsigned rest = network.bits % 8;
  if (rest == 0) return true;
  const auto mask = static_cast<std::uint8_t>(0xFF << (8 - rest));
  return (network.bytes[whole] & mask) == (host.bytes[whole] & mask);
}

bool NetworkList::contains(std::string_view address) const {
  const auto host = host_of(address);
  if (!host) return false;
  const Network probe{host->v4, host->bytes, 0};
  for (const Network& network : networks_) {
    if (matches(network, probe)) return true;
  }
  return false;
}

}  // namespace vantor::http
