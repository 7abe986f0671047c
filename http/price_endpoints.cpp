// Price lookup by scanned code, stock per warehouse, the stock list and the customers.
#include "http/endpoint_support.hpp"
#include "http/endpoints.hpp"
#include "text/ascii.hpp"
#include "text/utf8.hpp"

namespace vantor::http::endpoints {
namespace {

// Drops the check digit of a scanned barcode: the last character becomes a blank, then
// blanks and control characters are trimmed from both ends.
std::string without_check_digit(const std::string& code) {
  if (code.empty()) throw RequestError("there is no check digit to drop from an empty code");
  std::string result(text::take_code_points(code, text::code_point_count(code) - 1));
  result.push_back(' ');
  std::size_t first = 0;
  while (first < result.size() && text::is_blank(result[first])) ++first;
  std::size_t last = result.size();
  while (last > first && text::is_blank(result[last - 1])) --last;
  return result.substr(first, last - first);
}

}  // namespace

// The code is the request's own: nothing of one lookup reaches another.
void price(RequestContext& ctx) {
  std::string code = ctx.params.size() == 0 ? "0000" : ctx.params.PositionalParam(0, 5);
  std::string warehouse = ctx.params.size() < 2 ? "%%" : ctx.params.PositionalParam(1, 3);
  if (text::ascii_lowercase(warehouse) == "all") warehouse = "%%";
  if (ctx.options.no_check_digit.load()) code = without_check_digit(code);
  answer_stored_names(ctx, db::Query::Price, db::Params{{"code", code}, {"wh", warehouse}});
}

void whqty(RequestContext& ctx) {
  const std::string code = or_default(ctx.params.PositionalParam(0, 5), "0000");
  answer_stored_names(ctx, db::Query::WhQty, db::Params{{"code", code}});
}

void stock(RequestContext& ctx) { answer_stored_names(ctx, db::Query::Stock); }

void customers(RequestContext& ctx) { answer_stored_names(ctx, db::Query::Sub); }

}  // namespace vantor::http::endpoints
