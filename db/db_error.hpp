// Failures of the database client: the server's or client's own message, and whether
// the attachment that raised it is gone (so the pool attaches anew).
#pragma once

#include <ibase.h>

#include <stdexcept>
#include <string>

namespace vantor::db {

class DbError : public std::runtime_error {
 public:
  DbError(const std::string& message, bool connection_lost, ISC_STATUS code = 0, bool lock_conflict = false);

  bool connection_lost() const noexcept { return connection_lost_; }
  // Another transaction held what this one needed: a row lock that was not released
  // within the lock timeout, an update conflict or a deadlock.
  bool lock_conflict() const noexcept { return lock_conflict_; }
  ISC_STATUS code() const noexcept { return code_; }

 private:
  bool connection_lost_;
  ISC_STATUS code_;
  bool lock_conflict_;
};

// The database cannot be reached at all (attaching failed): requests then get the empty
// answer, and guarded endpoints do not swallow it.
class DatabaseUnreachable : public DbError {
 public:
  explicit DatabaseUnreachable(const std::string& message) : DbError(message, true) {}
};

// The link went while a commit was under way: the server may or may not have stored the
// write, and nobody can tell from here.
class OutcomeUnknown : public DbError {
 public:
  OutcomeUnknown(const std::string& message, ISC_STATUS code) : DbError(message, true, code) {}
};

// Whether a failure is a lock conflict: the one place that tells, for the log, the
// metrics and the retries alike.
bool lock_conflict(const std::exception& failure) noexcept;

// Whether a status vector holds a failure.
inline bool failed(const ISC_STATUS* status) { return status[0] == 1 && status[1] != 0; }

// Raises DbError with the status vector's text when it holds a failure.
void check_status(const ISC_STATUS* status);

// The status vector's text, its lines joined by "; ".
std::string status_message(const ISC_STATUS* status);

}  // namespace vantor::db
