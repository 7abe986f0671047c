// Keeps requests off the database while the schema upgrade drops and recreates the
// objects they use: requests hold the shared side, the upgrade the exclusive side.
// A waiting upgrade goes first: new requests wait behind it, so it cannot starve.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace vantor::db {

class UpgradeGate {
 public:
  void lock_shared();
  // The shared side only if it is free now (no upgrade runs or waits).
  bool try_lock_shared();
  // The shared side, waiting for a running or waiting upgrade until deadline at most.
  bool try_lock_shared_until(std::chrono::steady_clock::time_point deadline);
  template <typename Rep, typename Period>
  bool try_lock_shared_for(std::chrono::duration<Rep, Period> wait) {
    return try_lock_shared_until(std::chrono::steady_clock::now() + wait);
  }
  void unlock_shared();
  // Requests holding the shared side now.
  int readers() const;
  void lock();
  void unlock();

 private:
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  int readers_ = 0;
  int writers_waiting_ = 0;
  bool writer_ = false;
};

}  // namespace vantor::db
