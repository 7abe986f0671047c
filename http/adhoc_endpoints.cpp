// Statements that clients send, answered as JSON or as a page, and the item page.
#include "text/ascii.hpp"
#include "encode/html_page.hpp"
#include "encode/json_encoders.hpp"
#include "http/endpoint_support.hpp"
#include "http/endpoints.hpp"

namespace vantor::http::endpoints {
namespace {

// The client's statement, with "select " in front unless it starts with one of the
// letters that pass (lower-cased).
std::string statement_of(RequestContext& ctx, std::string_view passing) {
  const std::string statement = ctx.params.PositionalParam(0, 6);
  if (statement.empty()) throw RequestError("the statement is empty");
  const char first = text::ascii_lower(statement.front());
  return passing.find(first) != std::string_view::npos ? statement : "select " + statement;
}

// Runs the client's statement in a transaction that commits like a statement of its own:
// what it writes stays even when there is nothing to encode.
// Returns whether the answer was written.
template <typename Encode>
bool run_client_statement(RequestContext& ctx, std::string_view passing, Encode encode) {
  try {
    const std::string statement = statement_of(ctx, passing);
    db::Transaction transaction = ctx.db.begin_write();
    auto cursor = ctx.db.open(db::named_query("brands"), {},
                              db::OpenOptions{.text = statement, .transaction = &transaction, .keep_prepared = false});
    std::string answer = encode(*cursor);
    cursor.reset();
    transaction.commit();
    ctx.answer_text = std::move(answer);
    return true;
  } catch (const std::exception& failure) {
    ctx.db.throw_if_unreachable(failure);  // no database: the empty answer, as for every request
    ctx.log.failure(failure.what());  // the client gets the fallback answer
    return false;
  }
}

}  // namespace

void myjson(RequestContext& ctx) {
  run_client_statement(ctx, "si", [&](db::RowSource& rows) { return encode::MYJASONalls(rows, ctx.log); });
}

void myhtml(RequestContext& ctx) {
  if (run_client_statement(ctx, "s", [](db::RowSource& rows) { return encode::HTMLall(rows); })) {
    ctx.answer_kind = encode::AnswerKind::Html;
  }
}

void producth(RequestContext& ctx) { answer_page(ctx, db::named_query("product"), db::Params{{"wh", std::string("00")}}); }

}  // namespace vantor::http::endpoints
