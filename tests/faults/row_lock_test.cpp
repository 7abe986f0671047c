// Rows held locked by a second attachment, as an ERP user in an open edit holds them:
// the requests that need them end with a lock conflict after the lock timeout, and the
// requests that need no lock are answered meanwhile.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <iostream>

#include "tests/support/test_server.hpp"

namespace vantor::test {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

const char* kFirstWeek = "/room?fromdate=01/06/2024&todate=07/06/2024";

db::DatabaseSettings short_lock_timeout() {
  db::DatabaseSettings settings;
  settings.lock_timeout = 1s;
  return settings;
}

bool contains_line(const std::vector<http::LogBlock>& blocks, std::string_view start) {
  for (const auto& block : blocks) {
    for (const auto& entry : block.entries) {
      if (entry.substr(0, start.size()) == start) return true;
    }
  }
  return false;
}

TEST(RowLock, ALockedRoomEndsInALockConflictWhileOtherRequestsAreAnswered) {
  TestServer server(Template::Upgraded, TestServer::fast_settings(), short_lock_timeout());
  RowLock lock(server.database(), "update room set n1 = 'x' where rno = 5");
  // both can wait on the lock; with two workers only one of them runs at a time
  auto first = std::async(std::launch::async, [&] { return server.body(kFirstWeek); });
  auto second = std::async(std::launch::async, [&] { return server.body(kFirstWeek); });
  std::this_thread::sleep_for(200ms);

  double slowest_ms = 0;
  for (int i = 0; i < 10; ++i) {
    const auto start = Clock::now();
    EXPECT_EQ(server.body("/whqty?code=A100").substr(0, 8), R"([{"item")");
    slowest_ms = std::max(slowest_ms, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  EXPECT_EQ(first.wait_for(0s), std::future_status::timeout);  // still waiting on the lock
  std::cout << "slowest /whqty while rooms wait on a lock: " << slowest_ms << " ms\n";

  EXPECT_EQ(first.get(), "Some Error !!");
  EXPECT_EQ(second.get(), "Some Error !!");
  EXPECT_TRUE(contains_line(server.log().blocks(), "Failure: lock conflict: "));

  lock.release();
  EXPECT_EQ(server.body(kFirstWeek), R"([{"rno":12.00,"descr":"Suite","rprice1":80.00}])");
}

TEST(RowLock, AWriteOnALockedRowNamesTheLockConflict) {
  TestServer server(Template::Upgraded, TestServer::fast_settings(), short_lock_timeout());
  server.database().execute("insert into customer (cid, cname, mid) values (8000099, 'Held', 3)");
  RowLock lock(server.database(), "update customer set cname = 'Edited' where cid = 8000099");
  EXPECT_EQ(server.body("/reserve?id=99&name=Ali&tel=555&fromdate=20/12/2026&todate=22/12/2026&room=12&guests=2"),
            "Some Error !!");
  const auto last = server.log().last();
  ASSERT_FALSE(last.empty());
  EXPECT_EQ(last.back().substr(0, 24), "Failure: lock conflict: ");
  lock.release();
  EXPECT_EQ(server.database().scalar("select cname from customer where cid = 8000099"), "Held");
}

}  // namespace
}  // namespace vantor::test
