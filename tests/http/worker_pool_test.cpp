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
               true});
  }
  pool.post({[&] { other_ran = true; }, {}, false});
  for (int i = 0; i < 100 && !other_ran; ++i) std::this_thread::sleep_for(10ms);
  EXPECT_TRUE(other_ran);
  EXPECT_EQ(waiting_started, 1);  // the second and third were passed over
  EXPECT_EQ(pool.queued(), 2u);
  release.set_value();
  for (int i = 0; i < 100 && waiting_started < 3; ++i) std::this_thread::sleep_for(10ms);
  EXPECT_EQ(waiting_started, 3);
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
             false});
  std::this_thread::sleep_for(50ms);
  pool.post({[&] { ran_late = true; }, [&] { ++dropped; }, false});
  EXPECT_TRUE(pool.stop_before(std::chrono::steady_clock::now() + 5s));
  EXPECT_TRUE(finished);
  EXPECT_FALSE(ran_late);
  EXPECT_EQ(dropped, 1);
  pool.post({[&] { ran_late = true; }, [&] { ++dropped; }, false});  // after the stop: dropped at once
  EXPECT_EQ(dropped, 2);
}

}  // namespace
}  // namespace vantor::http
