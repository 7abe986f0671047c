// A writer-preferring shared lock.
#include "db/upgrade_gate.hpp"

namespace vantor::db {

void UpgradeGate::lock_shared() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return !writer_ && writers_waiting_ == 0; });
  ++readers_;
}

bool UpgradeGate::try_lock_shared() {
  std::lock_guard lock(mutex_);
  if (writer_ || writers_waiting_ != 0) return false;
  ++readers_;
  return true;
}

bool UpgradeGate::try_lock_shared_until(std::chrono::steady_clock::time_point deadline) {
  std::unique_lock lock(mutex_);
  if (!changed_.wait_until(lock, deadline, [&] { return !writer_ && writers_waiting_ == 0; })) return false;
  ++readers_;
  return true;
}

int UpgradeGate::readers() const {
  std::lock_guard lock(mutex_);
  return readers_;
}

void UpgradeGate::unlock_shared() {
  std::lock_guard lock(mutex_);
  if (--readers_ == 0) changed_.notify_all();
}

void UpgradeGate::lock() {
  std::unique_lock lock(mutex_);
  ++writers_waiting_;
  changed_.wait(lock, [&] { return !writer_ && readers_ == 0; });
  --writers_waiting_;
  writer_ = true;
}

void UpgradeGate::unlock() {
  std::lock_guard lock(mutex_);
  writer_ = false;
  changed_.notify_all();
}

}  // namespace vantor::db
