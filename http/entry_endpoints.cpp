// Inventory counts from hand-held scanners and opening-year entries.
#include "http/endpoint_support.hpp"
#include "http/endpoints.hpp"

namespace vantor::http::endpoints {

// Every value goes to the database as text; the server converts the quantity. The
// trigger fills the item, its description and its pack from the barcode.
void inventory(RequestContext& ctx) {
  const std::string device = ctx.params.PositionalParam(0, 9);
  const std::string barcode = ctx.params.PositionalParam(1, 8);
  const std::string quantity = ctx.params.PositionalParam(2, 4);
  const std::string note = ctx.params.PositionalParam(3, 5);
  ctx.db.run(db::query(db::Query::Inv),
             db::Params{{"MYID", device}, {"MYBARCODE", barcode}, {"MYQTY", quantity}, {"MYNOTE", note}});
  ctx.answer_text = "Qty Entry for " + barcode + " Done";
}

void openyear(RequestContext& ctx) {
  const std::string serial = ctx.params.PositionalParam(0, 3);
  const std::string name = ctx.params.PositionalParam(1, 5);
  ctx.db.run(db::query(db::Query::Oy), db::Params{{"SN", serial}, {"NAME", name}});
  ctx.answer_text = "Open Year Entry for " + name + " Done";
}

}  // namespace vantor::http::endpoints
