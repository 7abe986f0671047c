// Opening a query and encoding it into the answer.
#include "http/endpoint_support.hpp"

#include "encode/html_page.hpp"
#include "encode/json_encoders.hpp"

namespace vantor::http {

void answer_lower_keys(RequestContext& ctx, db::Query query, const db::Params& params) {
  auto cursor = ctx.db.open(db::query(query), params);
  ctx.answer_text = encode::MYJASONalls(*cursor, ctx.log);
}

void answer_stored_names(RequestContext& ctx, db::Query query, const db::Params& params) {
  auto cursor = ctx.db.open(db::query(query), params);
  ctx.answer_text = encode::MYJASONall(*cursor, ctx.log);
}

void answer_page(RequestContext& ctx, db::Query query, const db::Params& params) {
  auto cursor = ctx.db.open(db::query(query), params);
  ctx.answer_text = encode::HTMLall(*cursor);
  ctx.answer_kind = encode::AnswerKind::Html;
}

std::string or_default(std::string text, std::string_view fallback) {
  return text.empty() ? std::string(fallback) : text;
}

}  // namespace vantor::http
