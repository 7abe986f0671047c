// Statements that clients send, answered as JSON or as a page, and the item page.
#include <atomic>
#include <string>

#include "db/client_statement.hpp"
#include "encode/html_page.hpp"
#include "encode/json_encoders.hpp"
#include "http/capped_rows.hpp"
#include "http/endpoint_support.hpp"
#include "http/endpoints.hpp"
#include "text/ascii.hpp"

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

// The rows as encode writes them, within the operator's cap on ad-hoc answers.
template <typename Encode>
std::string encoded_within_cap(RequestContext& ctx, db::RowSource& rows, Encode& encode) {
  if (ctx.options.adhoc_max_bytes == 0) return encode(rows);
  CappedRows capped(rows, ctx.options.adhoc_max_bytes);
  std::string answer = encode(capped);
  capped.check(answer.size());
  return answer;
}

// Stops the client's statement when its time is up or its client hangs up: Firebird has
// no statement timeout of its own, so another thread cancels it (the engine stops at its
// next check). On a dead link the cancel cannot travel; the cut of a silent round trip
// covers that.
class StatementBounds {
 public:
  explicit StatementBounds(RequestContext& ctx)
      : ctx_(ctx), time_bound_(ctx.db.cancel_after(ctx.options.adhoc_timeout, timed_out_)) {
    ctx.cancellation.on_cancel([&db = ctx.db] { db.cancel(); });
  }
  ~StatementBounds() {
    ctx_.cancellation.clear();
    time_bound_.disarm();
  }
  StatementBounds(const StatementBounds&) = delete;
  StatementBounds& operator=(const StatementBounds&) = delete;

  // Why the statement was stopped, when it was.
  void explain_stop() const {
    if (timed_out_) {
      throw RequestError("the statement ran longer than " + std::to_string(ctx_.options.adhoc_timeout.load().count()) +
                         " ms (adhoc_timeout) and was cancelled");
    }
    if (ctx_.cancellation.cancelled()) throw RequestError("the client hung up: its statement was cancelled");
  }

 private:
  RequestContext& ctx_;
  std::atomic<bool> timed_out_{false};
  db::DeadlineWatch::Ticket time_bound_;
};

// Runs the client's statement; a failure gives the fallback answer. Returns whether the
// answer was written.
template <typename Encode>
bool answer_client_statement(RequestContext& ctx, std::string_view passing, Encode encode) {
  return fallback_on_failure(ctx, [&] {
    const std::string statement = statement_of(ctx, passing);
    const auto access = ctx.options.adhoc == AdhocMode::Read ? db::ClientAccess::ReadOnly : db::ClientAccess::ReadWrite;
    std::string answer;
    StatementBounds bounds(ctx);
    try {
      db::run_client_statement(
          ctx.db, statement, [&](db::RowSource& rows) { answer = encoded_within_cap(ctx, rows, encode); }, access);
    } catch (const db::DbError&) {
      bounds.explain_stop();
      throw;
    }
    ctx.answer_text = std::move(answer);
  });
}

}  // namespace

void myjson(RequestContext& ctx) {
  answer_client_statement(ctx, "si", [&](db::RowSource& rows) { return encode::MYJASONalls(rows, ctx.log); });
}

void myhtml(RequestContext& ctx) {
  if (answer_client_statement(ctx, "s", [](db::RowSource& rows) { return encode::HTMLall(rows); })) {
    ctx.answer_kind = encode::AnswerKind::Html;
  }
}

void producth(RequestContext& ctx) { answer_page(ctx, db::Query::Product, db::Params{{"wh", std::string("00")}}); }

}  // namespace vantor::http::endpoints
