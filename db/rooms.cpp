// Marking booked rooms and reading the free ones.
#include "db/rooms.hpp"

#include <mutex>

#include "db/catalogue.hpp"

namespace vantor::db {
namespace {

std::mutex room_marks;

}  // namespace

void free_rooms(DbSession& session, const Params& range, const std::function<void(RowSource&)>& read) {
  std::lock_guard one_at_a_time(room_marks);
  Transaction transaction = session.begin_write();
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
    transaction.commit();
    throw;
  }
  transaction.commit();
}

}  // namespace vantor::db
