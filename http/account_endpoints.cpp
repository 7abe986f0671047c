// Account statements, document lines, purchases, open cases and the customer page.
#include "http/endpoint_support.hpp"
#include "http/endpoints.hpp"

namespace vantor::http::endpoints {

void stat(RequestContext& ctx) {
  const std::string account = or_default(ctx.params.PositionalParam(0, 3), "00");
  answer_lower_keys(ctx, db::named_query("saccount"), db::Params{{"mysid", account}});
}

void itemsdet(RequestContext& ctx) {
  const std::string document = or_default(ctx.params.PositionalParam(0, 3), "00");
  answer_lower_keys(ctx, db::named_query("ITEMSDET"), db::Params{{"no", document}});
}

void purchase(RequestContext& ctx) { answer_lower_keys(ctx, db::named_query("purchase")); }

void cases(RequestContext& ctx) { answer_lower_keys(ctx, db::named_query("cases")); }

void customer_page(RequestContext& ctx) { answer_page(ctx, db::named_query("sub")); }

}  // namespace vantor::http::endpoints
