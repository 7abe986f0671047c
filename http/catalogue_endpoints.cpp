// Company, categories, warehouses, item pictures, item lists and price levels.
#include "http/endpoint_support.hpp"
#include "http/endpoints.hpp"

namespace vantor::http::endpoints {

void company(RequestContext& ctx) { answer_lower_keys(ctx, db::Query::Company); }

void category(RequestContext& ctx) { answer_lower_keys(ctx, db::Query::Category); }

void subcategory(RequestContext& ctx) { answer_lower_keys(ctx, db::Query::Subcategory); }

void stores(RequestContext& ctx) { answer_lower_keys(ctx, db::Query::Stores); }

void product_images(RequestContext& ctx) {
  answer_lower_keys(ctx, db::Query::ProductImage, db::Params{{"code", ctx.params.PositionalParam(0, 5)}});
}

void pricesgr(RequestContext& ctx) { answer_lower_keys(ctx, db::Query::PricesGr); }

void producta(RequestContext& ctx) { answer_lower_keys(ctx, db::Query::ProductA); }

void product2(RequestContext& ctx) { answer_lower_keys(ctx, db::Query::Product2); }

void product(RequestContext& ctx) {
  const std::string warehouse = or_default(ctx.params.PositionalParam(0, 3), "00");
  answer_lower_keys(ctx, db::Query::Product, db::Params{{"wh", warehouse}});
}

// The client sends the date year first ("2024-11-05").
void productdate(RequestContext& ctx) {
  const auto since = HostDate(YearFirstDateText(ctx.params.PositionalParam(0, 7)));
  answer_lower_keys(ctx, db::Query::ProductDate, db::Params{{"wh", since}});
}

}  // namespace vantor::http::endpoints
