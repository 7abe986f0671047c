// A list of IPv4 and IPv6 networks, as an operator writes them: "192.168.1.0/24,
// fd00::/8, 10.0.0.7" (a bare address is one host). An IPv4 address written as IPv6
// (::ffff:192.168.1.7) is the IPv4 address it holds.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vantor::http {

class NetworkList {
 public:
  // Throws std::invalid_argument naming the entry that is no network.
  static NetworkList parse(std::string_view written);

  bool empty() const noexcept { return networks_.empty(); }
  // The networks of both lists.
  NetworkList& add(const NetworkList& other) {
    networks_.insert(networks_.end(), other.networks_.begin(), other.networks_.end());
    return *this;
  }
  // Whether address (its text) lies in one of the networks; text that is no address
  // lies in none.
  bool contains(std::string_view address) const;

 private:
  struct Network {
    bool v4 = true;
    std::array<std::uint8_t, 16> bytes{};
    unsigned bits = 0;
  };
  static bool matches(const Network& network, const Network& host);

  std::vector<Network> networks_;
};

}  // namespace vantor::http
