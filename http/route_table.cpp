// Paths, their endpoints and what else belongs to each route.
#include "http/route_table.hpp"

#include "http/endpoints.hpp"

namespace vantor::http {
namespace {

constexpr bool kEchoed = true;
constexpr bool kNotEchoed = false;
constexpr auto Lookup = RouteClass::Lookup;
constexpr auto BigList = RouteClass::BigList;
constexpr auto LockWait = RouteClass::LockWait;
constexpr auto CallerStatement = RouteClass::CallerStatement;
constexpr auto Positional = ParamReading::Positional;
constexpr auto Named = ParamReading::Named;
using F = ParamFormat;
using A = AnswerForm;

const std::vector<RouteParam> kDateRange = {{"fromdate", F::DayMonthYear, "an error answer"},
                                            {"todate", F::DayMonthYear, "an error answer"}};

}  // namespace

const std::vector<Route>& route_table() {
  using namespace endpoints;
  static const std::vector<Route> routes = {
      {"/inventory", inventory, LockWait, kEchoed, "inventory", "an inventory count from a hand-held scanner",
       A::Confirmation, Writes::Yes, Positional,
       {{"deviceid"}, {"barcode"}, {"qty", F::Number, "an error answer"}, {"note"}}},
      {"/reserve", reserve, LockWait, kEchoed, "reserve", "a room reservation", A::Confirmation, Writes::Yes,
       Positional,
       {{"id", F::WholeNumber, "an error answer"},
        {"name"},
        {"tel"},
        {"fromdate", F::DayFirstDate, "an error answer"},
        {"todate", F::DayFirstDate, "an error answer"},
        {"room", F::WholeNumber, "an error answer"},
        {"guests", F::WholeNumber, "an error answer"}}},
      {"/paym", paym, LockWait, kEchoed, "paym", "a payment of a hotel guest", A::Confirmation, Writes::Yes,
       Positional,
       {{"id", F::WholeNumber, "an error answer"},
        {"rate", F::Number, "an error answer"},
        {"adate", F::DayMonthYear, "an error answer"},
        {"amount", F::Number, "an error answer"},
        {"note"},
        {"custid", F::WholeNumber, "an error answer"}}},
      {"/openyear", openyear, LockWait, kEchoed, "openyear", "an opening-year entry", A::Confirmation, Writes::Yes,
       Positional, {{"sn"}, {"name"}}},
      {"/invoiceinsert", invoiceinsert, LockWait, kEchoed, "invoiceinsert", "a sales invoice header",
       A::Confirmation, Writes::Yes, Named,
       {{"id", F::Text, "0"},
        {"ref", F::Text, "0"},
        {"accno", F::Text, "00000"},
        {"wh", F::Text, "00"},
        {"subtotal", F::Number, "0"},
        {"vatamount", F::Number, "0 (and below 2 reads as 0)"},
        {"net", F::Number, "0"},
        {"invdate", F::YearFirstDate, "01/01/2050 (and so does one under ten characters)"},
        {"note", F::Text, "a blank"},
        {"currid", F::WholeNumber, "2 (and so does any but 1 or 2)"},
        {"invtype", F::WholeNumber, "12"},
        {"contactid", F::WholeNumber, "0 (and so does one that is no number)"}}},
      {"/itemsinsert", itemsinsert, LockWait, kEchoed, "itemsinsert", "a line of a sales invoice",
       A::Confirmation, Writes::Yes, Named,
       {{"id", F::WholeNumber, "0"},
        {"inv_id", F::Text, "0"},
        {"item", F::Text, "0"},
        {"qty", F::Number, "0"},
        {"price", F::Number, "0"},
        {"discount", F::Number, "0"},
        {"vat", F::Number, "0"},
        {"vatamount", F::Number, "0"},
        {"total", F::Number, "0"},
        {"wh", F::Text, "00"},
        {"bone"}}},
      {"/company", company, Lookup, kEchoed, "company", "the company record"},
      {"/room", room, LockWait, kEchoed, "room", "the hotel rooms free in a date range (it marks the booked ones)",
       A::LowerKeys, Writes::Yes, Positional, kDateRange},
      {"/purchase", purchase, Lookup, kEchoed, "purchase", "purchase entries"},
      {"/myjson", myjson, CallerStatement, kNotEchoed, "myjson", "the caller's own statement, as JSON",
       A::LowerKeys, Writes::AsTheStatementDoes, Positional, {{"query", F::Statement, "the fallback answer"}}},
      {"/myhtml", myhtml, CallerStatement, kEchoed, "myhtml", "the caller's own statement, as a page", A::Page,
       Writes::AsTheStatementDoes, Positional, {{"query", F::Statement, "the fallback answer"}}},
      {"/subh", customer_page, Lookup, kEchoed, "subh", "the customer list as a page", A::Page},
      {"/brands", subcategory, Lookup, kEchoed, "brands", "second-level categories"},
      {"/subcat1", subcategory, Lookup, kEchoed, "subcat1", "second-level categories"},
      {"/stores", stores, Lookup, kEchoed, "stores", "the warehouses"},
      {"/product_images", product_images, Lookup, kEchoed, "product_images", "the picture of one item",
       A::LowerKeys, Writes::No, Positional, {{"code"}}},
      {"/sales", sales, BigList, kNotEchoed, "sales", "the sales summary of a date range", A::LowerKeys, Writes::No,
       Positional, kDateRange},
      {"/invoice", invoice, BigList, kNotEchoed, "invoice", "the sales detail of a date range", A::LowerKeys,
       Writes::No, Positional, kDateRange},
      {"/pricesgr", pricesgr, BigList, kNotEchoed, "pricesgr", "every price level of every item"},
      {"/producta", producta, BigList, kNotEchoed, "producta", "the active items with their stock totals"},
      {"/cases", cases, Lookup, kEchoed, "cases", "the open cases"},
      {"/product", product, BigList, kNotEchoed, "product", "the items with their stock in one warehouse",
       A::LowerKeys, Writes::No, Positional, {{"wh", F::Text, "00"}}},
      {"/productdate", productdate, BigList, kNotEchoed, "productdate", "the items created since a date",
       A::LowerKeys, Writes::No, Positional, {{"fromdt", F::YearFirstDate, "an error answer"}}},
      {"/stat", stat, Lookup, kEchoed, "stat", "the statement of one account with its running balance",
       A::LowerKeys, Writes::No, Positional, {{"id", F::Text, "00"}}},
      {"/itemsdet", itemsdet, Lookup, kEchoed, "itemsdet", "the lines of one document", A::LowerKeys, Writes::No,
       Positional, {{"no", F::Text, "00"}}},
      {"/product2", product2, BigList, kNotEchoed, "product2", "every item"},
      {"/producth", producth, Lookup, kEchoed, "producth", "the items of warehouse 00 as a page", A::Page},
      {"/category", category, Lookup, kEchoed, "category", "first-level categories"},
      {"/sub", customers, Lookup, kEchoed, "sub", "the customers", A::StoredNames},
      {"/customer", customers, Lookup, kEchoed, "customer", "the customers", A::StoredNames},
      {"/whqty", whqty, Lookup, kEchoed, "whqty", "the stock of one item in each warehouse", A::StoredNames,
       Writes::No, Positional, {{"code", F::Text, "0000"}}},
      {"/stock", stock, BigList, kNotEchoed, "stock", "the stock list", A::StoredNames},
      {"/price", price, Lookup, kEchoed, "price", "the price record of a scanned code", A::StoredNames, Writes::No,
       Positional,
       {{"code", F::Text, "0000 when there is no parameter at all"},
        {"wh", F::Text, "every warehouse (as \"all\" does) when there is no second parameter"}}},
  };
  return routes;
}

const Route& find_route(std::string_view lower_path) {
  static const Route no_route{"", nullptr, Lookup, kEchoed, "other", "no route: the fallback answer", A::Fallback};
  for (const Route& route : route_table()) {
    if (route.path == lower_path) return route;
  }
  return no_route;
}

}  // namespace vantor::http
