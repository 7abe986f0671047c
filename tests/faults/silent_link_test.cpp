// The link to the database host stops passing packets without a reset (a host that
// hangs, a cable pulled): a relay between the server and Firebird stalls. Requests then
// get the empty answer instead of none, and the server serves again once the link is back.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <iostream>
#include <thread>

#include "tests/support/tcp_relay.hpp"
#include "tests/support/test_server.hpp"

namespace vantor::test {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr const char* kWhqty = "/whqty?code=A100";

db::DatabaseSettings quick_probe() {
  db::DatabaseSettings settings;
  settings.probe_interval = 300ms;
  settings.probe_timeout = 2s;
  settings.connect_timeout = 2s;
  return settings;
}

double seconds_since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

TEST(SilentLink, RequestsGetTheEmptyAnswerAndTheServerServesAgainWhenTheLinkIsBack) {
  TestDatabase database;
  TcpRelay relay;
  auto settings = TestServer::fast_settings();
  settings.event_loops = 1;  // the other connection below shares the blocked request's loop
  TestServer server(relay.connection_string(database.path()), settings, quick_probe());
  const std::string expected = server.body(kWhqty);
  ASSERT_EQ(expected.substr(0, 8), R"([{"item")");

  relay.stall();
  auto start = Clock::now();
  // blocked on the silent link until the probe cuts it
  auto blocked = std::async(std::launch::async, [&] { return server.get(kWhqty); });
  std::this_thread::sleep_for(300ms);
  // a read runs on its loop's thread; the standby thread takes the loop over, so other
  // connections are served meanwhile
  RawClient other(server.port());
  other.send("OPTIONS / HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n");
  const auto other_answer = other.read();
  ASSERT_TRUE(other_answer);
  EXPECT_EQ(other_answer->status_line, "HTTP/1.1 200 OK");
  EXPECT_EQ(blocked.wait_for(0s), std::future_status::timeout);
  const auto stalled = blocked.get();
  const double first_answer = seconds_since(start);
  EXPECT_EQ(stalled.status_line, "HTTP/1.1 200 OK");
  EXPECT_EQ(stalled.body, "");
  start = Clock::now();
  EXPECT_EQ(server.body(kWhqty), "");  // while the link is down: at once
  const double next_answer = seconds_since(start);
  std::cout << "stalled link: first answer after " << first_answer << " s, the next after " << next_answer << " s\n";

  relay.resume();
  std::string answer;
  for (int i = 0; i < 100 && answer != expected; ++i) {
    std::this_thread::sleep_for(200ms);
    answer = server.body(kWhqty);
  }
  EXPECT_EQ(answer, expected);
  EXPECT_GE(server.application().probe()->down_periods(), 1u);
}

TEST(SilentLink, ACutLinkIsAnsweredAndRecoveredToo) {
  TestDatabase database;
  TcpRelay relay;
  TestServer server(relay.connection_string(database.path()), TestServer::fast_settings(), quick_probe());
  const std::string expected = server.body(kWhqty);
  relay.cut();
  std::string answer = server.body(kWhqty);  // the request's own reconnect, or the empty answer
  for (int i = 0; i < 50 && answer != expected; ++i) {
    std::this_thread::sleep_for(100ms);
    answer = server.body(kWhqty);
  }
  EXPECT_EQ(answer, expected);
}

TEST(SilentLink, StartUpOnAHostThatDoesNotAnswerEndsWithinTheConnectTimeout) {
  TestDatabase database;
  TcpRelay relay;
  relay.stall();
  const auto start = Clock::now();
  TestServer server(relay.connection_string(database.path()), TestServer::fast_settings(), quick_probe());
  const double started = seconds_since(start);
  std::cout << "start-up against a silent host: " << started << " s\n";
  EXPECT_FALSE(server.front().lines().empty());  // the failure to connect is shown
  EXPECT_EQ(server.body(kWhqty), "");
}

}  // namespace
}  // namespace vantor::test
