// What clients in the field do to the transport: flood the admin port, send an
// absolute-form target, send more after "Connection: close", send bodies that do not
// fit the body budget. Each on real sockets against the real server.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/process_figures.hpp"
#include "tests/support/test_server.hpp"

namespace vantor::test {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr const char* kWhqty = "/whqty?code=A100";

shell::ServerConfig with_admin(std::string database) {
  shell::ServerConfig config{std::move(database), TestServer::fast_settings(), {}};
  config.admin = shell::AdminAddress{"127.0.0.1", 0};
  return config;
}

TEST(AdminListener, ThousandIdleConnectionsDoNotKeepTheProberOut) {
  raise_descriptor_limit();
  TestDatabase database;
  TestServer server(with_admin(database.connection_string()));
  const std::uint16_t admin = server.application().admin()->port();
  for (int i = 0; i < 100 && server.ready() != "200 ready\n"; ++i) std::this_thread::sleep_for(100ms);
  std::vector<std::unique_ptr<RawClient>> idle;
  for (int i = 0; i < 1000; ++i) {
    idle.push_back(std::make_unique<RawClient>(admin));
    if (i % 3 == 0) idle.back()->send("GET /rea");  // half a request, then silence
  }
  long slowest = 0;
  for (int i = 0; i < 20; ++i) {
    const auto start = Clock::now();
    const auto answer = http_get(admin, "/ready");
    slowest =
        std::max<long>(slowest, std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->body, "ready\n");
    idle.push_back(std::make_unique<RawClient>(admin));  // the flood goes on between the probes
  }
  std::printf("/ready beside 1,000 idle admin connections: at most %ld ms\n", slowest);
#ifdef VANTOR_SANITIZED
  EXPECT_LT(slowest, 1000);  // the sanitizers slow every step several times over
#else
  EXPECT_LT(slowest, 100);
#endif
  EXPECT_LE(server.application().admin()->connection_count(), 33u);
}

TEST(AdminListener, OnlyTheAllowedReachIt) {
  struct Case {
    const char* id;
    std::function<void(shell::ServerConfig&)> change;
    bool answered;
  };
  const Case cases[] = {
      {"loopback by default", [](auto&) {}, true},
      {"allow of the clients' port does not shut this machine out",
       [](auto& c) { c.http.allow = http::NetworkList::parse("10.0.0.0/8"); }, true},
      {"admin_allow names others only", [](auto& c) { c.admin_allow = http::NetworkList::parse("10.0.0.0/8"); }, false},
  };
  TestDatabase database;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.id);
    auto config = with_admin(database.connection_string());
    c.change(config);
    TestServer server(config);
    const auto answer = http_get(server.application().admin()->port(), "/live");
    EXPECT_EQ(answer.has_value(), c.answered);
  }
}

// "GET http://host/whqty?... HTTP/1.1" is read as its path and query, with or without Host.
TEST(RequestTarget, AnAbsoluteFormTargetGetsTheAnswerOfItsPath) {
  TestServer server;
  const std::string expected = server.body(kWhqty);
  ASSERT_EQ(expected.rfind(R"([{"item")", 0), 0u);
  for (const char* request : {"GET http://shop.example:8080/whqty?code=A100 HTTP/1.1\r\nHost: x\r\n\r\n",
                              "GET HTTP://shop.example/whqty?code=A100 HTTP/1.1\r\nConnection: close\r\n\r\n"}) {
    SCOPED_TRACE(request);
    RawClient client(server.port());
    client.send(request);
    const auto answer = client.read();
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->body, expected);
  }
}

// A client that sends more after a request with "Connection: close" still gets the whole
// answer: the server does not close with input unread under the answer's tail.
TEST(ConnectionClose, InputAfterTheLastRequestDoesNotCutTheAnswer) {
  TestServer server;
  const std::string target = "/myjson?query=" + url_escape(
                                                    "a.rdb$type as t1, b.rdb$type as t2 from rdb$types a, "
                                                    "rdb$types b");
  const std::size_t size = server.body(target).size();
  ASSERT_GT(size, 500000u);
  for (int i = 0; i < 3; ++i) {
    RawClient client(server.port());
    client.set_receive_buffer(16384);
    client.send("GET " + target + " HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n");
    std::this_thread::sleep_for(200ms);  // the answer is being written
    client.send("GET /whqty?code=A100 HTTP/1.1\r\nHost: x\r\n\r\n" + std::string(100000, 'x'));
    const auto answer = client.read(true, 30s);
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->body.size(), size);
    EXPECT_TRUE(client.closed_by_server(5s));
  }
}

// Bodies that do not fit the body budget wait unread, and the time they wait does not count
// against their arrival's limit; then each is read and answered.
TEST(BodyBudget, BodiesWaitForRoomWithoutTheirTimeRunningOut) {
  auto settings = TestServer::fast_settings();
  settings.body_budget = 300 * 1024;
  settings.request_timeout = 1500ms;
  TestServer server(Template::Upgraded, settings);
  const std::string pad = "&pad=" + std::string(200 * 1024, 'x');
  auto post = [](std::string_view path, const std::string& body) {
    return "POST " + std::string(path) +
           " HTTP/1.1\r\nHost: x\r\nContent-Type: application/x-www-form-urlencoded\r\nContent-Length: " +
           std::to_string(body.size()) + "\r\n\r\n" + body;
  };
  // a statement of some seconds holds the room of its body until it is answered
  RawClient holder(server.port());
  holder.send(post("/myjson", "query=count(*)+from+rdb$fields+a,+rdb$fields+b,+rdb$fields+c" + pad));
  std::this_thread::sleep_for(300ms);
  const auto start = Clock::now();
  std::vector<std::unique_ptr<RawClient>> waiting;
  for (int i = 0; i < 4; ++i) {
    waiting.push_back(std::make_unique<RawClient>(server.port()));
    waiting.back()->send(post("/whqty", "code=A100" + pad));
  }
  std::this_thread::sleep_for(300ms);
  EXPECT_LE(server.server().body_bytes_held(), settings.body_budget);
  EXPECT_EQ(server.body(kWhqty).rfind(R"([{"item")", 0), 0u);  // a request without a body goes on
  for (auto& client : waiting) {
    const auto answer = client->read(true, 60s);
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->body.rfind(R"([{"item")", 0), 0u);
  }
  const double waited = std::chrono::duration<double>(Clock::now() - start).count();
  const auto held = holder.read(true, 60s);
  ASSERT_TRUE(held);
  EXPECT_EQ(held->body.rfind(R"([{"count")", 0), 0u);
  std::printf("bodies waited %.1f s for room, past their 1.5 s to arrive\n", waited);
  EXPECT_GT(waited, 1.5);
  EXPECT_EQ(server.server().body_bytes_held(), 0u);
}

}  // namespace
}  // namespace vantor::test
