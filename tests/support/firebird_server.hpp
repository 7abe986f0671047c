// Stopping and starting the local Firebird server from a test (serial tests only).
#pragma once

namespace vantor::test {

void stop_firebird();
void start_firebird();

// Starts the server again when the test ends, however it ends.
class FirebirdRestartGuard {
 public:
  FirebirdRestartGuard() = default;
  FirebirdRestartGuard(const FirebirdRestartGuard&) = delete;
  FirebirdRestartGuard& operator=(const FirebirdRestartGuard&) = delete;
  ~FirebirdRestartGuard() { start_firebird(); }
};

}  // namespace vantor::test
