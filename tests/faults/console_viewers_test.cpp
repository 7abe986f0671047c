// Viewers of the operator console that read nothing: the server keeps serving its
// clients and its prober, holds no more for them than their bounds, and turns away a
// viewer beyond the bound.
#include <gtest/gtest.h>

#include <iostream>
#include <memory>
#include <thread>
#include <vector>

#include "tests/support/http_client.hpp"
#include "tests/support/test_server.hpp"

namespace vantor::test {
namespace {

using namespace std::chrono_literals;

TEST(ConsoleViewers, ViewersThatReadNothingCostTheirBoundsAndNoAnswer) {
  TestDatabase database;
  shell::ServerConfig config{database.connection_string(), TestServer::fast_settings(), {}};
  config.admin = shell::AdminAddress{"127.0.0.1", 0};
  TestServer server(config);
  const std::uint16_t admin = server.application().admin()->port();
  const std::string ask = "GET /console/events HTTP/1.1\r\nHost: console\r\n\r\n";

  std::vector<std::unique_ptr<RawClient>> viewers;
  for (std::size_t i = 0; i < shell::ConsoleFeed::kMaxViewers; ++i) {
    auto viewer = std::make_unique<RawClient>(admin);
    viewer->set_receive_buffer(4096);
    viewer->send(ask);
    viewers.push_back(std::move(viewer));
  }
  for (int i = 0; i < 100 && server.application().console().viewers() < viewers.size(); ++i) {
    std::this_thread::sleep_for(20ms);
  }
  ASSERT_EQ(server.application().console().viewers(), viewers.size());
  RawClient one_more(admin);
  one_more.send(ask);
  const auto refused = one_more.read();
  ASSERT_TRUE(refused);
  EXPECT_EQ(refused->status_line, "HTTP/1.1 503 Service Unavailable");
  EXPECT_EQ(refused->body.rfind("too many console viewers", 0), 0u) << refused->body;

  // blocks of 64 KiB (an echo's bound), far more than a viewer's queue and its socket hold,
  // as the requests' blocks come to the console
  auto& console = server.application().console();
  for (int i = 0; i < 300; ++i) {
    http::LogBlock block;
    block.entries = {"127.0.0.1", "/stock", std::string(64 * 1024, 'x')};
    block.route = "stock";
    block.outcome = "data";
    console.publish(std::move(block));
    if (i % 30 == 0) ASSERT_EQ(server.body("/whqty?code=A100").substr(0, 8), R"([{"item")");
  }
  const std::size_t held = console.bytes_held();
  std::cout << "8 viewers reading nothing, 300 blocks of 64 KiB: " << held << " bytes held for the console, "
            << console.dropped() << " events dropped\n";
  EXPECT_LE(held, shell::RecentBlocks::kMaxBytes + viewers.size() * shell::ViewerQueue::kMaxBytes + 64 * 1024);
  EXPECT_GT(console.dropped(), 0u);
  EXPECT_EQ(server.ready(), "200 ready\n");
  EXPECT_EQ(server.body("/whqty?code=A100").substr(0, 8), R"([{"item")");
}

}  // namespace
}  // namespace vantor::test
