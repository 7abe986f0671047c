// A stop while requests wait: the running write finishes and its client gets the
// answer; a request that had not started is not run and its connection closes without
// an answer; a client that hung up while its request waited does not get it run.
#include <gtest/gtest.h>

#include <sys/socket.h>

#include <chrono>
#include <future>
#include <thread>

#include "tests/faults/held_guest.hpp"

namespace vantor::test {
namespace {

using namespace std::chrono_literals;

class HeldGuest : public ::testing::Test {
 protected:
  // Guest 8000099 exists and is held by another attachment: "/reserve?id=99" waits.
  void SetUp() override { lock_ = hold_guest_99(server_); }
  std::string guest(int cid) {
    return server_.database().scalar("select cname from customer where cid = " + std::to_string(cid));
  }

  TestServer server_;
  std::unique_ptr<RowLock> lock_;
};

TEST_F(HeldGuest, AStopLetsTheRunningWriteAnswerAndDropsTheOneNotStarted) {
  RawClient running(server_.port());
  running.send(reserve_request(99));
  std::this_thread::sleep_for(300ms);
  RawClient queued(server_.port());  // may wait on a lock too: passed over while the other runs
  queued.send(reserve_request(98));
  std::this_thread::sleep_for(300ms);

  auto stopped = std::async(std::launch::async, [&] { server_.application().FormCloseQuery(); });
  std::this_thread::sleep_for(500ms);
  lock_->release();

  const auto answer = running.read();
  ASSERT_TRUE(answer);
  EXPECT_EQ(answer->body, "Qty Entry  Done");
  EXPECT_EQ(answer->header("Connection"), "close");
  EXPECT_FALSE(queued.read(true, 5000ms));
  stopped.get();
  EXPECT_EQ(guest(8000099), "Ali");
  EXPECT_EQ(guest(8000098), "<none>");
}

TEST_F(HeldGuest, ARequestWhoseClientHungUpWhileItWaitedIsNotRun) {
  RawClient running(server_.port());
  running.send(reserve_request(99));
  std::this_thread::sleep_for(300ms);
  {
    RawClient gone(server_.port());
    gone.send(reserve_request(97));
    std::this_thread::sleep_for(200ms);
  }  // closed while its request waits for a worker
  RawClient half_closed(server_.port());
  half_closed.send(reserve_request(96));
  half_closed.shut_down_sending();
  RawClient waiting(server_.port());
  waiting.send(reserve_request(95));
  std::this_thread::sleep_for(300ms);
  lock_->release();

  ASSERT_TRUE(running.read());
  const auto answer = waiting.read();
  ASSERT_TRUE(answer);
  EXPECT_EQ(answer->body, "Qty Entry  Done");
  EXPECT_EQ(guest(8000097), "<none>");
  EXPECT_EQ(guest(8000096), "<none>");
  EXPECT_EQ(guest(8000095), "Ali");
}

}  // namespace
}  // namespace vantor::test
