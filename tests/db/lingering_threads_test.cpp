// The exit joins the probe threads a stop left running, each for at most its bound: a
// thread still ending while the process tears down would crash the exit.
#include "db/lingering_threads.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>

namespace vantor::db {
namespace {

using namespace std::chrono_literals;
using Clock = LingeringThreads::Clock;

// Work that ends when released, and says so to whoever waits for it.
struct Work {
  std::mutex mutex;
  std::condition_variable changed;
  bool released = false;
  bool ended = false;

  void run() {
    std::unique_lock lock(mutex);
    changed.wait(lock, [&] { return released; });
    ended = true;
    changed.notify_all();
  }
  void release() {
    std::lock_guard lock(mutex);
    released = true;
    changed.notify_all();
  }
  bool ended_by(Clock::time_point deadline) {
    std::unique_lock lock(mutex);
    return changed.wait_until(lock, deadline, [&] { return ended; });
  }
};

TEST(LingeringThreads, TheExitWaitsForAThreadThatEndsWithinItsBoundAndLetsAStuckOneGo) {
  auto ending = std::make_shared<Work>();
  auto stuck = std::make_shared<Work>();  // shared with its thread, which outlives the keeper
  auto ending_returned = std::make_shared<std::atomic<bool>>(false);
  {
    LingeringThreads threads;
    threads.keep(
        std::thread([ending, ending_returned] {
          ending->run();
          *ending_returned = true;
        }),
        [ending](Clock::time_point deadline) { return ending->ended_by(deadline); }, 10s);
    threads.keep(
        std::thread([stuck] { stuck->run(); }),
        [stuck](Clock::time_point deadline) { return stuck->ended_by(deadline); }, 200ms);
    ending->release();
  }
  EXPECT_TRUE(*ending_returned);                // joined, not let go
  EXPECT_FALSE(stuck->ended_by(Clock::now()));  // the exit did not wait past its bound
  stuck->release();
  EXPECT_TRUE(stuck->ended_by(Clock::now() + 10s));
}

}  // namespace
}  // namespace vantor::db
