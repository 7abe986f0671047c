// Bounds on what a client can make the server hold: connections, time, bytes.
#include <gtest/gtest.h>

#include <thread>

#include "tests/support/test_server.hpp"

namespace vantor::test {
namespace {

using namespace std::chrono_literals;

bool answered(RawClient& client) {
  client.send("GET /nothing HTTP/1.1\r\nHost: x\r\n\r\n");
  const auto response = client.read();
  return response && response->body == "Bye Bye ";
}

bool eventually(const std::function<bool()>& condition) {
  for (int i = 0; i < 200; ++i) {
    if (condition()) return true;
    std::this_thread::sleep_for(10ms);
  }
  return condition();
}

TEST(Limits, AConnectionOverTheLimitIsClosedAtOnceWithoutAnAnswer) {
  auto settings = TestServer::fast_settings();
  settings.max_connections = 3;
  TestServer server(Template::Upgraded, settings);
  std::vector<std::unique_ptr<RawClient>> held;
  for (int i = 0; i < 3; ++i) {
    held.push_back(std::make_unique<RawClient>(server.port()));
    ASSERT_TRUE(answered(*held.back()));
  }
  RawClient over(server.port());
  EXPECT_TRUE(over.closed_by_server());
  held.pop_back();  // one leaves: there is room again
  ASSERT_TRUE(eventually([&] { return server.server().connection_count() == 2; }));
  RawClient again(server.port());
  EXPECT_TRUE(answered(again));
}

TEST(Limits, ARequestMustArriveInTimeOnceBegun) {
  auto settings = TestServer::fast_settings();
  settings.request_timeout = 300ms;
  TestServer server(Template::Upgraded, settings);
  RawClient slow(server.port());
  slow.send("GET /nothi");
  EXPECT_TRUE(slow.closed_by_server(5000ms));
  RawClient endless(server.port());
  endless.send("GET /nothing HTTP/1.1\r\nHost: x\r\n");
  for (int i = 0; i < 5; ++i) {
    std::this_thread::sleep_for(100ms);
    endless.send("X-More: 1\r\n");  // trickling headers do not extend the time
  }
  EXPECT_TRUE(endless.closed_by_server(5000ms));
  RawClient fine(server.port());
  EXPECT_TRUE(answered(fine));
}

TEST(Limits, AnIdleConnectionIsClosedAfterTheIdleTime) {
  auto settings = TestServer::fast_settings();
  settings.idle_timeout = 300ms;
  TestServer server(Template::Upgraded, settings);
  RawClient client(server.port());
  ASSERT_TRUE(answered(client));
  EXPECT_FALSE(client.closed_by_server(100ms));
  EXPECT_TRUE(client.closed_by_server(5000ms));
  RawClient silent(server.port());  // connects and never sends
  EXPECT_TRUE(silent.closed_by_server(5000ms));
}

TEST(Limits, ABodyOverTheBoundClosesTheConnection) {
  auto settings = TestServer::fast_settings();
  settings.max_body_bytes = 1024;
  TestServer server(Template::Upgraded, settings);
  RawClient client(server.port());
  client.send(
      "POST /nothing HTTP/1.1\r\nHost: x\r\nContent-Type: application/x-www-form-urlencoded\r\n"
      "Content-Length: 5000\r\n\r\n" +
      std::string(5000, 'a'));
  EXPECT_FALSE(client.read());
  RawClient small(server.port());
  small.send("POST /nothing HTTP/1.1\r\nHost: x\r\nContent-Length: 1000\r\n\r\n" + std::string(1000, 'a'));
  EXPECT_TRUE(small.read());
}

TEST(Limits, AnUnreachableDatabaseGivesTheEmptyAnswerEvenWithoutARoute) {
  TestServer server("localhost:/nonexistent/vantor/none.fdb", TestServer::fast_settings());
  for (const char* target : {"/nothing", "/price?code=A100"}) {
    SCOPED_TRACE(target);
    const auto response = server.get(target);
    EXPECT_EQ(response.status_line, "HTTP/1.1 200 OK");
    EXPECT_EQ(response.header_lines_without_date(), "Connection: close|Content-Length: 0|Date");
    EXPECT_EQ(response.body, "");
    const auto entries = server.log().last();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_NE(entries[0].find("none.fdb"), std::string::npos);
  }
}

}  // namespace
}  // namespace vantor::test
