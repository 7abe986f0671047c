// Room reservations and payments from hotel clients.
#include <cstdint>

#include "http/endpoint_support.hpp"
#include "http/endpoints.hpp"

namespace vantor::http::endpoints {
namespace {

// Hotel clients' ids are passed on 8000000 higher, in 32-bit arithmetic that wraps.
std::int32_t hotel_id(std::string_view text) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(whole_number_of(text)) + 8000000u);
}

}  // namespace

void reserve(RequestContext& ctx) {
  const ParamList& p = ctx.params;
  db::Params values{
      {"CID", hotel_id(p.PositionalParam(0, 3))},
      {"CNAME", p.PositionalParam(1, 5)},
      {"CTEL", p.PositionalParam(2, 4)},
      {"CFROMDATE", HostDate(DayFirstDateText(p.PositionalParam(3, 9)))},
      {"CTODATE", HostDate(DayFirstDateText(p.PositionalParam(4, 7)))},
      {"RRNO", whole_number_of(p.PositionalParam(5, 5))},
      {"ROOMRATE", std::int32_t{0}},  // MOBRSERVE takes the room's own rate
      {"GUESTS", whole_number_of(p.PositionalParam(6, 7))},
  };
  ctx.db.run(db::query(db::Query::Reserve), values);
  ctx.answer_text = "Qty Entry  Done";
}

void paym(RequestContext& ctx) {
  const ParamList& p = ctx.params;
  db::Params values{
      {"MYID", hotel_id(p.PositionalParam(0, 3))},
      {"RATE", number_of(p.PositionalParam(1, 5))},
      {"MYDATE", HostDate(p.PositionalParam(2, 6))},
      {"AMOUNT", number_of(p.PositionalParam(3, 7))},
      {"NOTE", p.PositionalParam(4, 5)},
      {"CID", hotel_id(p.PositionalParam(5, 7))},
  };
  ctx.db.run(db::query(db::Query::Paym), values);
  ctx.answer_text = "Qty Entry  Done";
}

}  // namespace vantor::http::endpoints
