// Company, categories, warehouses, item pictures, item lists and price levels.
#include "http/endpoint_support.hpp"
#include "http/endpoints.hpp"

namespace vantor::http::endpoints {

void company(RequestContext& ctx) { answer_lower_keys(ctx, db::ScratchStatement::Company); }

void category(RequestContext& ctx) { answer_lower_keys(ctx, db::ScratchStatement::Category); }

void subcategory(RequestContext& ctx) { answer_lower_keys(ctx, db::ScratchStatement::Subcategory); }

void stores(RequestContext& ctx) { answer_lower_keys(ctx, db::ScratchStatement::Stores); }

void product_images(RequestContext& ctx) {
  answer_lower_keys(ctx, db::ScratchStatement::ProductImage, db::Params{{"code", ctx.params.PositionalParam(0, 5)}});
}

void pricesgr(RequestContext& ctx) { answer_lower_keys(ctx, db::named_query("pricesgr")); }

void producta(RequestContext& ctx) { answer_lower_keys(ctx, db::named_query("producta")); }

void product2(RequestContext& ctx) { answer_lower_keys(ctx, db::named_query("product2")); }

void product(RequestContext& ctx) {
  const std::string warehouse = or_default(ctx.params.PositionalParam(0, 3), "00");
  answer_lower_keys(ctx, db::named_query("product"), db::Params{{"wh", warehouse}});
}

// The client sends the date year first ("2024-11-05").
void productdate(RequestContext& ctx) {
  const auto since = HostDate(YearFirstDateText(ctx.params.PositionalParam(0, 7)));
  answer_lower_keys(ctx, db::named_query("productdate"), db::Params{{"wh", since}});
}

}  // namespace vantor::http::endpoints
