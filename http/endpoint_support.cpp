// Opening a query and encoding it into the answer.
#include "http/endpoint_support.hpp"

#include "encode/html_page.hpp"
#include "encode/json_encoders.hpp"

namespace vantor::http {
namespace {

std::unique_ptr<db::QueryCursor> open_scratch(RequestContext& ctx, db::ScratchStatement statement,
                                              const db::Params& params) {
  return ctx.db.open(db::named_query("brands"), params, db::OpenOptions{.text = db::scratch_text(statement)});
}

}  // namespace

void answer_lower_keys(RequestContext& ctx, const db::QueryDef& query, const db::Params& params) {
  auto cursor = ctx.db.open(query, params);
  ctx.answer_text = encode::MYJASONalls(*cursor, ctx.log);
}

void answer_lower_keys(RequestContext& ctx, db::ScratchStatement statement, const db::Params& params) {
  auto cursor = open_scratch(ctx, statement, params);
  ctx.answer_text = encode::MYJASONalls(*cursor, ctx.log);
}

void answer_stored_names(RequestContext& ctx, const db::QueryDef& query, const db::Params& params) {
  auto cursor = ctx.db.open(query, params);
  ctx.answer_text = encode::MYJASONall(*cursor, ctx.log);
}

void answer_stored_names(RequestContext& ctx, db::ScratchStatement statement) {
  auto cursor = open_scratch(ctx, statement, {});
  ctx.answer_text = encode::MYJASONall(*cursor, ctx.log);
}

void answer_page(RequestContext& ctx, const db::QueryDef& query, const db::Params& params) {
  auto cursor = ctx.db.open(query, params);
  ctx.answer_text = encode::HTMLall(*cursor);
  ctx.answer_kind = encode::AnswerKind::Html;
}

std::string or_default(std::string text, std::string_view fallback) {
  return text.empty() ? std::string(fallback) : text;
}

}  // namespace vantor::http
