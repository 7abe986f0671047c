// Sales summary and detail for a date range, and the free rooms of a range.
#include "db/rooms.hpp"
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

}  // namespace

void sales(RequestContext& ctx) { answer_lower_keys(ctx, db::Query::ProCubes, date_range(ctx)); }

void invoice(RequestContext& ctx) { answer_lower_keys(ctx, db::Query::ProCubeAll, date_range(ctx)); }

void room(RequestContext& ctx) {
  db::free_rooms(ctx.db, date_range(ctx),
                 [&](db::RowSource& rooms) { ctx.answer_text = encode::MYJASONalls(rooms, ctx.log); });
}

}  // namespace vantor::http::endpoints
