// Who may call: the allow list at accept over IPv4 and IPv6, and the client that a
// trusted proxy names, with what the caller, the log and the metrics then show.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/support/test_server.hpp"

namespace vantor::test {
namespace {

const std::string kRequest = "GET /whqty?code=A100 HTTP/1.1\r\nHost: x\r\n";

// The answer's first line, or "closed" when the server closed without one.
std::string ask(std::uint16_t port, const char* host, const std::string& extra_headers = {}) {
  RawClient client(port, host);
  if (!client.connected()) return "no connection";
  client.send(kRequest + extra_headers + "Connection: close\r\n\r\n");
  const auto answer = client.read();
  return answer ? answer->status_line : "closed";
}

std::size_t refusal_blocks(TestServer& server) {
  const auto blocks = server.log().blocks();
  return std::count_if(blocks.begin(), blocks.end(),
                       [](const http::LogBlock& block) { return block.entries.front().rfind("Refused: ", 0) == 0; });
}

TEST(Access, TheAllowListOverIPv4AndIPv6Loopback) {
  struct Case {
    const char* allow;
    const char* v4;
    const char* v6;
  } cases[] = {
      {"127.0.0.0/8", "HTTP/1.1 200 OK", "closed"},
      {"::1", "closed", "HTTP/1.1 200 OK"},
      {"10.0.0.0/8, fd00::/8", "closed", "closed"},
      {"", "HTTP/1.1 200 OK", "HTTP/1.1 200 OK"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.allow);
    TestServer server(Template::Upgraded,
                      [&](shell::ServerConfig& config) { config.http.allow = http::NetworkList::parse(c.allow); });
    EXPECT_EQ(ask(server.port(), "127.0.0.1"), c.v4);
    EXPECT_EQ(ask(server.port(), "::1"), c.v6);
  }
}

TEST(Access, RefusalsAreCountedAndToldOnceAMinutePerAddress) {
  TestServer server(Template::Upgraded,
                    [](shell::ServerConfig& config) { config.http.allow = http::NetworkList::parse("10.0.0.0/8"); });
  for (int i = 0; i < 3; ++i) EXPECT_EQ(ask(server.port(), "127.0.0.1"), "closed");
  EXPECT_EQ(ask(server.port(), "::1"), "closed");
  EXPECT_EQ(refusal_blocks(server), 2u);  // one for each address
  EXPECT_NE(server.application().metrics().prometheus().find("vantor_refused_total 4\n"), std::string::npos);
  const auto first = server.log().blocks().front().entries.front();
  EXPECT_EQ(first, "Refused: 127.0.0.1 is not allowed to call (allow in vantor.conf); told once a minute");
}

TEST(Access, AnAddressIsToldOfAgainAfterAMinute) {
  RecordingLog log;
  http::Metrics metrics;
  http::RefusalLog refusals(log, metrics);
  const auto start = http::RefusalLog::Clock::now();
  for (const int seconds : {0, 30, 59, 61, 90, 122}) refusals.note("192.0.2.1", start + std::chrono::seconds(seconds));
  EXPECT_EQ(log.blocks().size(), 3u);  // at 0, 61 and 122 s
}

TEST(Access, ATrustedProxyNamesTheClientThatAllowChecksAndTheLogShows) {
  TestServer server(Template::Upgraded, [](shell::ServerConfig& config) {
    config.http.allow = http::NetworkList::parse("203.0.113.0/24");
    config.http.trusted_proxies = http::NetworkList::parse("127.0.0.1");
  });
  EXPECT_EQ(ask(server.port(), "127.0.0.1", "X-Forwarded-For: 203.0.113.5\r\n"), "HTTP/1.1 200 OK");
  EXPECT_EQ(server.log().last().front(), "203.0.113.5");
  // a client that forges an allowed address at the left is still itself at the right
  EXPECT_EQ(ask(server.port(), "127.0.0.1", "X-Forwarded-For: 203.0.113.5, 192.0.2.1\r\n"), "closed");
  EXPECT_EQ(ask(server.port(), "127.0.0.1"), "closed");  // no header: the proxy itself, not allowed
  // from an address that is no trusted proxy the header counts for nothing
  EXPECT_EQ(ask(server.port(), "::1", "X-Forwarded-For: 203.0.113.5\r\n"), "closed");
  EXPECT_EQ(server.log().blocks().back().entries.front(),
            "Refused: ::1 is not allowed to call (allow in vantor.conf); told once a minute");
}

}  // namespace
}  // namespace vantor::test
