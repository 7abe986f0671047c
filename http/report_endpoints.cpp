// Sales summary and detail for a date range, and the free rooms of a range.
#include <mutex>

#include "encode/json_encoders.hpp"
#include "http/endpoint_support.hpp"
#include "http/endpoints.hpp"

namespace vantor::http::endpoints {
namespace {

// The range as the client sends it: "?fromdate=01/01/2024&todate=31/01/2024".
db::Params date_range(const RequestContext& ctx) {
  const auto from = HostDate(ctx.params.PositionalParam(0, 9));
  const auto to = HostDate(ctx.params.PositionalParam(1, 7));
  return db::Params{{"fromdate", from}, {"todate", to}};
}

// The booking marks live in the ROOM table, shared by every request: one "/room" at a
// time marks and reads, in one transaction, so each gets the rooms of its own range.
std::mutex room_marks;

}  // namespace

void sales(RequestContext& ctx) { answer_lower_keys(ctx, db::named_query("procubes"), date_range(ctx)); }

void invoice(RequestContext& ctx) { answer_lower_keys(ctx, db::named_query("procubeall"), date_range(ctx)); }

void room(RequestContext& ctx) {
  const db::Params range = date_range(ctx);
  std::lock_guard one_at_a_time(room_marks);
  db::Transaction transaction = ctx.db.begin_write();
  {
    // DOROOM marks each room as its row is fetched: read them all
    auto marks = ctx.db.open(db::named_query("uproom"), range, db::OpenOptions{.transaction = &transaction});
    while (marks->next()) {
    }
  }
  try {
    auto free_rooms = ctx.db.open(db::named_query("room"), {}, db::OpenOptions{.transaction = &transaction});
    ctx.answer_text = encode::MYJASONalls(*free_rooms, ctx.log);
  } catch (...) {
    transaction.commit();  // the new marks stay, as they would without the read
    throw;
  }
  transaction.commit();
}

}  // namespace vantor::http::endpoints
