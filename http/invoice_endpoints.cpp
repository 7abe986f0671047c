// Sales invoices from mobile clients: the header, then one request per line. Both read
// their parameters by name; every conversion happens before the one procedure call.
#include "encode/reencode_note.hpp"
#include "http/endpoint_support.hpp"
#include "http/endpoints.hpp"
#include "text/numbers.hpp"
#include "text/utf8.hpp"

namespace vantor::http::endpoints {
namespace {

std::string named(const RequestContext& ctx, std::string_view name, std::string_view fallback) {
  return or_default(ctx.params.NamedParam(name), fallback);
}

// A tax amount below 2, or one that is no number, is posted as 0; one too large for its
// column fails as the other amounts do.
double tax_amount(std::string text) {
  if (text.empty()) text = "0";
  if (text::too_large_for_a_number(text)) return number_of(text);
  const auto value = text::parse_number(text);
  if (!value || *value < 2) text = "0";
  return number_of(text);
}

// Currencies other than 1 and 2 are posted as 2.
std::int32_t currency(const std::string& text) {
  const std::int32_t value = whole_number_of(text);
  return value == 1 || value == 2 ? value : 2;
}

}  // namespace

void invoiceinsert(RequestContext& ctx) {
  const std::string ref = named(ctx, "ref", "0");
  const std::string date_text = ctx.params.NamedParam("invdate");
  const std::string note = encode::ReencodeNote(ctx.params.NamedParam("note"));
  const std::string contact = named(ctx, "contactid", "0");
  const auto contact_number = text::parse_whole_number(contact);
  db::Params values{
      {"MYID", named(ctx, "id", "0")},
      {"MYREF", ref},
      {"MYACCNO", named(ctx, "accno", "00000")},
      {"MYWH", named(ctx, "wh", "00")},
      {"MYSUBTOTAL", number_of(named(ctx, "subtotal", "0"))},
      {"MYVAT", tax_amount(ctx.params.NamedParam("vatamount"))},
      {"MYNET", number_of(named(ctx, "net", "0"))},
      {"MYDDATE", HostDate(text::code_point_count(date_text) >= 10 ? YearFirstDateText(date_text) : "01/01/2050")},
      {"MYNOTE", or_default(note, " ")},
      {"MYCURR", currency(named(ctx, "currid", "2"))},
      {"MYTYPE", whole_number_of(named(ctx, "invtype", "12"))},
      {"CONTACTID", contact_number.value_or(0)},
  };
  ctx.db.run(db::query(db::Query::MyInv), values);
  ctx.answer_text = "Invoice Entry for " + ref + " Done";
}

// Every failure here gives the fallback answer, and nothing is written.
void itemsinsert(RequestContext& ctx) {
  fallback_on_failure(ctx, [&] {
    const std::string item = named(ctx, "item", "0");
    db::Params values{
        {"MYID", whole_number_of(named(ctx, "id", "0"))},
        {"MYMID", named(ctx, "inv_id", "0")},
        {"MYITEM", item},
        {"MYQTY", number_of(named(ctx, "qty", "0"))},
        {"MYPRICE", number_of(named(ctx, "price", "0"))},
        {"MYDISCOUNT", number_of(named(ctx, "discount", "0"))},
        {"MYVAT", number_of(named(ctx, "vat", "0"))},
        {"MYVATAMOUNT", number_of(named(ctx, "vatamount", "0"))},
        {"MYTOTAL", number_of(named(ctx, "total", "0"))},
        {"SITE", named(ctx, "wh", "00")},
        {"BONE", ctx.params.NamedParam("bone")},
    };
    ctx.db.run(db::query(db::Query::MyIte), values);
    ctx.answer_text = "Items Entry for " + item + " Done";
  });
}

Landing invoice_landing(const ParamList& params, std::string_view client) {
  const std::string id = "SIWS" + or_default(params.NamedParam("id"), "0");
  const std::string ref = or_default(params.NamedParam("ref"), "0");
  return {db::Query::InvoiceLanded, db::Params{{"id", id}, {"ref", ref}},
          "/invoiceinsert ref " + ref + " (" + id + ") from " + std::string(client)};
}

Landing item_landing(const ParamList& params, std::string_view client) {
  const std::int32_t line = 85000000 + whole_number_of(or_default(params.NamedParam("id"), "0"));
  const std::string header = "SIWS" + or_default(params.NamedParam("inv_id"), "0");
  return {db::Query::ItemLanded, db::Params{{"id", line}, {"mid", header}},
          "/itemsinsert line " + std::to_string(line) + " of " + header + " from " + std::string(client)};
}

}  // namespace vantor::http::endpoints
