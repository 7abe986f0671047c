// A full worker queue: the server stops reading further requests until there is room,
// instead of buffering them, and reads them once there is.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "tests/support/test_server.hpp"

namespace vantor::test {
namespace {

using namespace std::chrono_literals;

std::string reserve(int id) {
  return "GET /reserve?id=" + std::to_string(id) +
         "&name=Ali&tel=555&fromdate=20/12/2026&todate=22/12/2026&room=12&guests=2 HTTP/1.1\r\nHost: x\r\n\r\n";
}

TEST(BackPressure, AFullQueueStopsReadingUntilThereIsRoom) {
  auto settings = TestServer::fast_settings();
  settings.queue_bound = 1;
  TestServer server(Template::Upgraded, settings);
  server.database().execute("insert into customer (cid, cname, mid) values (8000099, 'Held', 3)");
  RowLock lock(server.database(), "update customer set cname = 'Edited' where cid = 8000099");

  RawClient running(server.port());  // runs, waiting on the lock
  running.send(reserve(99));
  std::this_thread::sleep_for(300ms);
  RawClient queued(server.port());  // may wait on a lock too: queued, and the queue is full
  queued.send(reserve(98));
  std::this_thread::sleep_for(300ms);
  EXPECT_EQ(server.server().queued_requests(), 1u);

  RawClient reader(server.port());
  reader.send("GET /whqty?code=A100 HTTP/1.1\r\nHost: x\r\n\r\n");
  EXPECT_FALSE(reader.read(true, 500ms));  // not read while the queue is full

  lock.release();
  ASSERT_TRUE(running.read());
  ASSERT_TRUE(queued.read());
  const auto answer = reader.read();
  ASSERT_TRUE(answer);
  EXPECT_EQ(answer->body.substr(0, 8), R"([{"item")");
}

}  // namespace
}  // namespace vantor::test
