// Account statements, document lines, purchases, open cases and the customer page.
#include "http/endpoint_support.hpp"
#include "http/endpoints.hpp"

namespace vantor::http::endpoints {

void stat(RequestContext& ctx) {
  const std::string account = or_default(ctx.params.PositionalParam(0, 3), "00");
  answer_lower_keys(ctx, db::Query::SAccount, db::Params{{"mysid", account}});
}

void itemsdet(RequestContext& ctx) {
  const std::string document = or_default(ctx.params.PositionalParam(0, 3), "00");
  answer_lower_keys(ctx, db::Query::ItemsDet, db::Params{{"no", document}});
}

void purchase(RequestContext& ctx) { answer_lower_keys(ctx, db::Query::Purchase); }

void cases(RequestContext& ctx) { answer_lower_keys(ctx, db::Query::Cases); }

void customer_page(RequestContext& ctx) { answer_page(ctx, db::Query::Sub); }

}  // namespace vantor::http::endpoints
