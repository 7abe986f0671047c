// The worker pool: jobs that can wait on a lock never take the last thread, and a stop
// drops what has not started.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

#include "http/worker_pool.hpp"

namespace vantor::http {
namespace {

using namespace std::chrono_literals;

TEST(WorkerPool, LockWaitingJobsLeaveOneThreadForTheOthers) {
  WorkerPool pool(2);
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  std::atomic<int> waiting_started{0};
  std::atomic<bool> other_ran{false};
  for (int i = 0; i < 3; ++i) {
    pool.post({[&, released] {
                 ++waiting_started;
                 released.wait();
               },
               {},
               RouteClass::LockWait});
  }
  pool.post({[&] { other_ran = true; }, {}, RouteClass::Lookup});
  for (int i = 0; i < 100 && !other_ran; ++i) std::this_thread::sleep_for(10ms);
  EXPECT_TRUE(other_ran);
  EXPECT_EQ(waiting_started, 1);  // the second and third were passed over
  EXPECT_EQ(pool.queued(), 2u);
  release.set_value();
  for (int i = 0; i < 100 && waiting_started < 3; ++i) std::this_thread::sleep_for(10ms);
  EXPECT_EQ(waiting_started, 3);
}

// Caller's statements never hold every thread the writes may use: on four threads two of
// them at most, and a write still starts beside them; a read beside every write.
TEST(WorkerPool, CallersStatementsLeaveThreadsForWritesAndWritesOneForReads) {
  WorkerPool pool(4);
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  std::atomic<int> callers{0};
  std::atomic<int> writes{0};
  std::atomic<int> reads{0};
  auto held = [released](std::atomic<int>& started) {
    return [&started, released] {
      ++started;
      released.wait();
    };
  };
  for (int i = 0; i < 4; ++i) pool.post({held(callers), {}, RouteClass::CallerStatement});
  for (int i = 0; i < 3; ++i) pool.post({held(writes), {}, RouteClass::LockWait});
  pool.post({held(reads), {}, RouteClass::Lookup});
  pool.post({held(reads), {}, RouteClass::Lookup});
  for (int i = 0; i < 100 && callers + writes + reads < 4; ++i) std::this_thread::sleep_for(10ms);
  std::this_thread::sleep_for(50ms);
  EXPECT_EQ(callers, 2);
  EXPECT_EQ(writes, 1);  // with the callers, three threads wait: the last is the reads'
  EXPECT_EQ(reads, 1);
  release.set_value();
  for (int i = 0; i < 200 && callers + writes + reads < 9; ++i) std::this_thread::sleep_for(10ms);
  EXPECT_EQ(callers + writes + reads, 9);
}

// Big lists take all threads but one, and none while the answers have no room; lookups
// pass them whatever they wait for.
TEST(WorkerPool, BigListsLeaveThreadsToLookupsAndWaitForRoomInTheQueue) {
  WorkerPool pool(4);
  std::atomic<bool> room{true};
  pool.set_room_for_answers([&] { return room.load(); });
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  std::atomic<int> big{0};
  std::atomic<int> lookups{0};
  for (int i = 0; i < 5; ++i) {
    pool.post({[&, released] {
                 ++big;
                 released.wait();
               },
               {},
               RouteClass::BigList});
  }
  for (int i = 0; i < 20; ++i) pool.post({[&] { ++lookups; }, {}, RouteClass::Lookup});
  for (int i = 0; i < 100 && lookups < 20; ++i) std::this_thread::sleep_for(10ms);
  EXPECT_EQ(big, 3);
  EXPECT_EQ(lookups, 20);
  room = false;  // the answer budget is spent: the two waiting do not start
  release.set_value();
  std::this_thread::sleep_for(100ms);
  EXPECT_EQ(big, 3);
  EXPECT_EQ(pool.queued(), 2u);
  room = true;
  pool.wake();
  for (int i = 0; i < 100 && big < 5; ++i) std::this_thread::sleep_for(10ms);
  EXPECT_EQ(big, 5);
}

TEST(WorkerPool, AStopDropsWhatHasNotStartedAndWaitsForWhatRuns) {
  WorkerPool pool(1);
  std::atomic<bool> finished{false};
  std::atomic<int> dropped{0};
  std::atomic<bool> ran_late{false};
  pool.post({[&] {
               std::this_thread::sleep_for(200ms);
               finished = true;
             },
             {},
             RouteClass::Lookup});
  std::this_thread::sleep_for(50ms);
  pool.post({[&] { ran_late = true; }, [&] { ++dropped; }, RouteClass::Lookup});
  EXPECT_TRUE(pool.stop_before(std::chrono::steady_clock::now() + 5s));
  EXPECT_TRUE(finished);
  EXPECT_FALSE(ran_late);
  EXPECT_EQ(dropped, 1);
  pool.post({[&] { ran_late = true; }, [&] { ++dropped; }, RouteClass::Lookup});  // after the stop: dropped at once
  EXPECT_EQ(dropped, 2);
}

}  // namespace
}  // namespace vantor::http
