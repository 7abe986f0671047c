// A full worker queue: the server stops reading further requests until there is room,
// instead of buffering them, and reads them once there is.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "tests/faults/held_guest.hpp"

namespace vantor::test {
namespace {

using namespace std::chrono_literals;

TEST(BackPressure, AFullQueueStopsReadingUntilThereIsRoom) {
  auto settings = TestServer::fast_settings();
  settings.queue_bound = 1;
  TestServer server(Template::Upgraded, settings);
  auto lock = hold_guest_99(server);

  RawClient running(server.port());  // runs, waiting on the lock
  running.send(reserve_request(99));
  std::this_thread::sleep_for(300ms);
  RawClient queued(server.port());  // may wait on a lock too: queued, and the queue is full
  queued.send(reserve_request(98));
  std::this_thread::sleep_for(300ms);
  EXPECT_EQ(server.server().queued_requests(), 1u);

  RawClient reader(server.port());
  reader.send("GET /whqty?code=A100 HTTP/1.1\r\nHost: x\r\n\r\n");
  EXPECT_FALSE(reader.read(true, 500ms));  // not read while the queue is full

  lock->release();
  ASSERT_TRUE(running.read());
  ASSERT_TRUE(queued.read());
  const auto answer = reader.read();
  ASSERT_TRUE(answer);
  EXPECT_EQ(answer->body.substr(0, 8), R"([{"item")");
}

}  // namespace
}  // namespace vantor::test
