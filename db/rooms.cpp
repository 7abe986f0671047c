// Marking booked rooms and reading the free ones.
#include "db/rooms.hpp"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "db/catalogue.hpp"
#include "db/db_error.hpp"

namespace vantor::db {
namespace {

using Clock = std::chrono::steady_clock;

// One pass at a time in this process; passes of other processes meet at the rows. A
// turn waited for until a deadline (a condition variable rather than a timed mutex,
// whose timed lock the thread sanitizer of this compiler does not see).
class RoomTurn {
 public:
  bool take_until(Clock::time_point deadline) {
    std::unique_lock lock(mutex_);
    if (!free_.wait_until(lock, deadline, [&] { return !taken_; })) return false;
    taken_ = true;
    return true;
  }
  void give_back() {
    {
      std::lock_guard lock(mutex_);
      taken_ = false;
    }
    free_.notify_one();
  }

 private:
  std::mutex mutex_;
  std::condition_variable free_;
  bool taken_ = false;
};

RoomTurn room_marks;

std::chrono::seconds left_until(Clock::time_point deadline) {
  return std::chrono::ceil<std::chrono::seconds>(deadline - Clock::now());
}

void mark_and_read(DbSession& session, const Params& range, const std::function<void(RowSource&)>& read,
                   std::chrono::seconds lock_timeout) {
  Transaction transaction = session.begin_write(lock_timeout);
  {
    // DOROOM marks each room as its row is fetched: read them all
    auto marks = session.open(query(Query::UpRoom), range, &transaction);
    while (marks->next()) {
    }
  }
  try {
    auto free = session.open(query(Query::Room), {}, &transaction);
    read(*free);
  } catch (...) {
    transaction.commit();  // the new marks stay, as they would without the read
    throw;
  }
  transaction.commit();
}

}  // namespace

// Another server on the same database marks the same rows: its pass holds them until it
// commits, and ours then meets an update conflict. The pass is repeated in a fresh
// transaction until it goes through or the lock timeout is used up; the wait for the
// other passes of this process counts against the same bound.
void free_rooms(DbSession& session, const Params& range, const std::function<void(RowSource&)>& read) {
  const auto deadline = session.lock_deadline();
  if (Clock::now() >= deadline) {
    throw DbError("lock conflict: the request waited past the lock timeout before it could start", false, 0, true);
  }
  if (!room_marks.take_until(deadline)) {
    throw DbError("lock conflict: another room request of this server held the rooms for the whole lock timeout", false,
                  0, true);
  }
  struct GiveBack {
    ~GiveBack() { room_marks.give_back(); }
  } one_at_a_time;
  for (int attempt = 1;; ++attempt) {
    try {
      mark_and_read(session, range, read, left_until(deadline));
      return;
    } catch (const DbError& failure) {
      if (!failure.lock_conflict() || Clock::now() >= deadline) throw;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5 * std::min(attempt, 20)));
  }
}

}  // namespace vantor::db
