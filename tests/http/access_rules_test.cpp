// The allow list's networks and the client behind trusted proxies, as pure rules.
#include <gtest/gtest.h>

#include <stdexcept>

#include "http/client_address.hpp"
#include "http/network_list.hpp"

namespace vantor::http {
namespace {

TEST(NetworkList, AddressesInAndOutOfTheNetworks) {
  const auto list = NetworkList::parse(" 192.168.1.0/24, 10.0.0.7 ,fd00::/8, 172.16.0.0/12,::1");
  struct Case {
    const char* address;
    bool in;
  } cases[] = {
      {"192.168.1.0", true},
      {"192.168.1.255", true},
      {"192.168.2.1", false},
      {"10.0.0.7", true},
      {"10.0.0.8", false},
      {"172.31.255.1", true},
      {"172.32.0.1", false},
      {"fd12:3456::1", true},
      {"fe80::1", false},
      {"::1", true},
      {"::2", false},
      {"::ffff:192.168.1.9", true},  // IPv4 written as IPv6
      {"::ffff:10.0.0.8", false},
      {"not an address", false},
      {"", false},
  };
  for (const auto& c : cases) EXPECT_EQ(list.contains(c.address), c.in) << c.address;
  EXPECT_TRUE(NetworkList::parse("0.0.0.0/0").contains("203.0.113.9"));
  EXPECT_FALSE(NetworkList::parse("0.0.0.0/0").contains("2001:db8::1"));       // families never mix
  EXPECT_TRUE(NetworkList::parse("192.168.1.77/24").contains("192.168.1.3"));  // host bits ignored
  EXPECT_TRUE(NetworkList::parse("").empty());
}

TEST(NetworkList, WhatIsNoNetworkIsNamed) {
  for (const char* bad :
       {"10.0.0.0/33", "::/129", "10.0.0.0/", "10.0.0.0/8x", "10.0.0", "host.example", "10.0.0.1,,"}) {
    try {
      NetworkList::parse(bad);
      ADD_FAILURE() << bad;
    } catch (const std::invalid_argument& failure) {
      EXPECT_NE(std::string(failure.what()).find("is no network"), std::string::npos) << bad;
    }
  }
}

TEST(ClientAddress, TheRightmostEntryThatIsNoTrustedProxy) {
  const auto proxies = NetworkList::parse("127.0.0.1, 10.1.0.0/16");
  struct Case {
    const char* id;
    const char* peer;
    std::vector<std::string_view> header;
    const char* client;
  } cases[] = {
      {"no header from a proxy", "127.0.0.1", {}, "127.0.0.1"},
      {"the proxy's entry", "127.0.0.1", {"203.0.113.5"}, "203.0.113.5"},
      {"a forged leftmost entry", "127.0.0.1", {"192.168.1.1, 203.0.113.5"}, "203.0.113.5"},
      {"a forged field before the proxy's", "127.0.0.1", {"192.168.1.1", "203.0.113.5"}, "203.0.113.5"},
      {"two proxies in a row", "127.0.0.1", {"198.51.100.2, 203.0.113.5, 10.1.4.4"}, "203.0.113.5"},
      {"only proxies", "127.0.0.1", {"10.1.2.3, 10.1.4.4"}, "10.1.2.3"},
      {"ignored from anyone else", "192.168.7.7", {"203.0.113.5"}, "192.168.7.7"},
      {"empty entries", "127.0.0.1", {" , 203.0.113.5 ,"}, "203.0.113.5"},
  };
  for (const auto& c : cases) EXPECT_EQ(client_address(c.peer, c.header, proxies), c.client) << c.id;
  EXPECT_EQ(client_address("127.0.0.1", {"203.0.113.5"}, NetworkList{}), "127.0.0.1");  // no proxy trusted
}

}  // namespace
}  // namespace vantor::http
